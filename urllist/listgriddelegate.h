#pragma once

#include <QAbstractItemDelegate>
#include <QFont>

// Draws one cell of the URL list: its background (heading face or band colour), its lines at the
// right and bottom edges, its first line of text (links blue and underlined) and, for the current
// cell while the list has the focus, a dotted focus rectangle. option.rect is the whole cell.
class TListGridDelegate : public QAbstractItemDelegate
{
    Q_OBJECT
public:
    explicit TListGridDelegate(QObject *parent = nullptr);

    void setFonts(const QFont &font, const QFont &fixedFont);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QFont m_font;
    QFont m_fixedFont;
};
