#pragma once

#include <QStyledItemDelegate>

class TCustomAddressCombo;

// Draws the address box's list entries: the background, the entry's icon 4 pixels in and
// centred, the text at 22, all entries ItemHeight high.
class TAddressItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TAddressItemDelegate(TCustomAddressCombo *box);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TCustomAddressCombo *m_box;
};
