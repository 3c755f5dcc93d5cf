#include "urllist/listgriddelegate.h"

#include "core/ansitext.h"
#include "urllist/listgridlook.h"
#include "core/requestlistmodel.h"
#include "urllist/linkcell.h"

#include <QPainter>

using namespace ListGridLook;

TListGridDelegate::TListGridDelegate(QObject *parent)
    : QAbstractItemDelegate(parent), m_font(cellFont(0)), m_fixedFont(cellFont(0))
{
}

void TListGridDelegate::setFonts(const QFont &font, const QFont &fixedFont)
{
    m_font = font;
    m_fixedFont = fixedFont;
}

void TListGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const QByteArray text = index.data(RequestListModel::CellTextRole).toByteArray();
    paintCell(painter, option,
              Cell{index.row() + kFixedRows, linkShownText(text), isLinkText(text),
                   !index.data(RequestListModel::DoubtRole).toString().isEmpty()});
}

void TListGridDelegate::paintCell(QPainter *painter, const QStyleOptionViewItem &option, const Cell &cell) const
{
    const QRect r = option.rect;
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const bool heading = cell.row < kFixedRows;
    painter->save();
    painter->setClipRect(r, Qt::IntersectClip);

    // A POST text that may not be the body sent is drawn on a warning ground, in another colour.
    const bool doubtful = !heading && cell.doubtful;
    painter->fillRect(r, heading ? option.palette.color(QPalette::Button) : doubtful ? doubtColor() : bandColor(cell.row));
    painter->setPen(QPen(heading ? fixedLineColor() : gridLineColor(), kGridLineWidth));
    painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());

    const bool link = cell.link;
    const QByteArray &shown = cell.shown;
    if (!shown.isEmpty()) {
        QFont f = heading ? m_fixedFont : m_font;
        f.setUnderline(link);
        painter->setFont(f);
        painter->setPen(link ? urlColor() : doubtful ? doubtTextColor() : option.palette.color(QPalette::WindowText));
        const QRect textRect(r.left() + kTextInset, r.top() + kTextInset,
                             r.width() - kGridLineWidth - 2 * kTextInset,
                             r.height() - kGridLineWidth - kTextInset);
        if (textRect.width() > 0 && textRect.height() > 0) {
            painter->setClipRect(textRect, Qt::IntersectClip);
            painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine
                                            | Qt::TextExpandTabs,
                              fromAnsi(shown));
        }
    }

    if (option.state & QStyle::State_HasFocus) {
        painter->setClipRect(r);
        QPen pen(option.palette.color(QPalette::WindowText), 1, Qt::DotLine);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(1, 1, -3, -3));
    }
    painter->restore();
}

QSize TListGridDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(kDefaultColWidth, kDefaultRowHeight);
}
