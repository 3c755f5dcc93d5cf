#pragma once

#include <QAbstractItemDelegate>
#include <QByteArray>
#include <QFont>

// Draws one cell of the URL list: its background (heading face or band colour), its lines at the
// right and bottom edges, its first line of text (links blue and underlined) and, for the current
// cell while the list has the focus, a dotted focus rectangle. option.rect is the whole cell.
class TListGridDelegate : public QAbstractItemDelegate
{
public:
    // What one cell shows.
    struct Cell
    {
        int row = 0;             // the list's row: 0 is the heading
        QByteArray shown;        // the text drawn: the first line, a link without its leading part
        bool link = false;
        bool doubtful = false;   // a POST text that may not be the body sent
    };

    Q_OBJECT
public:
    explicit TListGridDelegate(QObject *parent = nullptr);

    void setFonts(const QFont &font, const QFont &fixedFont);
    void paintCell(QPainter *painter, const QStyleOptionViewItem &option, const Cell &cell) const;
    // A cell of the model's rows (the heading is not one of them).
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QFont m_font;
    QFont m_fixedFont;
};
