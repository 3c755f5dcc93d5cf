// Panning with the middle button: the current row follows the pointer above or below the
// pressed point, every 10 milliseconds.
#include "urllist/listgrid.h"

#include "urllist/listgridlook.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

using namespace ListGridLook;

namespace {
constexpr int kPanDeadZone = 5; // pixels above or below the pan point that move nothing
} // namespace

QCursor TListGrid::panCursor(bool up)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    if (up) {
        path.moveTo(8, 1);
        path.lineTo(14, 8);
        path.lineTo(2, 8);
    } else {
        path.moveTo(8, 15);
        path.lineTo(14, 8);
        path.lineTo(2, 8);
    }
    path.closeSubpath();
    p.fillPath(path, Qt::black);
    p.fillRect(up ? QRect(6, 8, 4, 7) : QRect(6, 1, 4, 7), Qt::black);
    p.end();
    return QCursor(pm, 8, up ? 1 : 15);
}

void TListGrid::startPanning(const QPoint &pos)
{
    m_panning = true;
    m_panOrigin = pos;
    m_panPos = pos;
    m_hadCursor = viewport()->testAttribute(Qt::WA_SetCursor);
    m_savedCursor = viewport()->cursor();
    viewport()->setCursor(Qt::SizeVerCursor);
    viewport()->grabMouse();
    grabKeyboard();
    m_panTimer.start();
    viewport()->update(QRect(m_panOrigin, QSize(kPanMarkSize, kPanMarkSize)));
}

void TListGrid::stopPanning()
{
    if (!m_panning)
        return;
    m_panning = false;
    m_panTimer.stop();
    viewport()->releaseMouse();
    releaseKeyboard();
    if (m_hadCursor)
        viewport()->setCursor(m_savedCursor);
    else
        viewport()->unsetCursor();
    viewport()->update(QRect(m_panOrigin, QSize(kPanMarkSize, kPanMarkSize)));
}

void TListGrid::panTick()
{
    const int dy = m_panPos.y() - m_panOrigin.y();
    if (dy > kPanDeadZone) {
        viewport()->setCursor(m_panDownCursor);
        if (m_curRow < RowCount() - 1)
            moveCurrent(m_curCol, m_curRow + 1);
    } else if (dy < -kPanDeadZone) {
        viewport()->setCursor(m_panUpCursor);
        if (m_curRow > FixedRows())
            moveCurrent(m_curCol, m_curRow - 1);
    } else {
        viewport()->setCursor(Qt::SizeVerCursor);
    }
}
