#include "urllist/listgrid.h"

#include "urllist/listgriddelegate.h"
#include "urllist/listgridlook.h"
#include "core/listcolumn.h"
#include "urllist/linkcell.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionViewItem>

using namespace ListGridLook;

void TListGrid::paintEvent(QPaintEvent *event)
{
    QPainter p(viewport());
    const QRect dirty = event->rect();
    p.fillRect(dirty, palette().color(QPalette::Base));

    QStyleOptionViewItem opt;
    opt.palette = palette();
    const bool focused = hasFocus();
    auto paintRow = [&](int row) {
        for (int col = 0; col < ColCount(); ++col) {
            const QRect r = CellRect(col, row);
            if (r.isEmpty() || !r.intersects(dirty))
                continue;
            opt.rect = r;
            opt.state = (focused && row == m_curRow && col == m_curCol) ? QStyle::State_HasFocus
                                                                         : QStyle::State_None;
            const QByteArray text = CellText(col, row);
            m_delegate->paintCell(&p, opt,
                                  {row, linkShownText(text), isLinkText(text),
                                   col == PostDataColumn && row >= FixedRows() && !RowDoubt(row).isEmpty()});
        }
    };
    paintRow(0);
    int y = RowHeight(0);
    for (int row = m_topRow; row < RowCount() && y < viewport()->height(); ++row) {
        if (y + RowHeight(row) > dirty.top() && y <= dirty.bottom())
            paintRow(row);
        y += RowHeight(row);
    }

    if (m_panning) {
        const QRect mark(m_panOrigin, QSize(kPanMarkSize, kPanMarkSize));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(mark.adjusted(1, 1, -2, -2));
        const QPointF c = QRectF(mark).center();
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF({c + QPointF(0, -11), c + QPointF(5, -5), c + QPointF(-5, -5)}));
        p.drawPolygon(QPolygonF({c + QPointF(0, 11), c + QPointF(5, 5), c + QPointF(-5, 5)}));
        p.drawEllipse(c, 2, 2);
    }
}
