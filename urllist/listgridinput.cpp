// The user's mouse and keys on the list, and the link click.
#include "urllist/listgrid.h"

#include "common/errorreport.h"
#include "urllist/linkcell.h"
#include "core/requestlistmodel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kWheelNotch = 120;
} // namespace

void TListGrid::updatePointer(const QPoint &pos)
{
    int col = 0;
    int row = 0;
    if (sizingBorderAt(pos) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (CellAt(pos, col, row) && isLink(col, row))
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
}

void TListGrid::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (m_panning) {
        stopPanning();
        return;
    }
    const QPoint pos = event->position().toPoint();
    switch (event->button()) {
    case Qt::LeftButton: {
        int col = 0;
        int row = 0;
        const bool onCell = CellAt(pos, col, row);
        if (onCell && isLink(col, row)) {
            linkClick(col, row);
            return;
        }
        setFocus(Qt::MouseFocusReason);
        const int border = sizingBorderAt(pos);
        if (border >= 0) {
            m_sizingCol = border;
            return;
        }
        if (onCell && row >= FixedRows())
            moveCurrent(col, row);
        return;
    }
    case Qt::RightButton:
        openPopup(event->globalPosition().toPoint());
        return;
    case Qt::MiddleButton:
        if (RowCount() > FixedRows())
            startPanning(pos);
        return;
    default:
        event->ignore();
    }
}

void TListGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_panning) {
        m_panPos = pos;
        return;
    }
    if (m_sizingCol >= 0 && (event->buttons() & Qt::LeftButton)) {
        const int w = pos.x() + horizontalScrollBar()->value() - colLeft(m_sizingCol);
        SetColWidth(m_sizingCol, std::max(1, w));
        return;
    }
    updatePointer(pos);
}

void TListGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_sizingCol = -1;
}

void TListGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_panning && event->button() == Qt::LeftButton) {
        const int border = sizingBorderAt(pos);
        if (border >= 0) {
            m_sizingCol = -1;
            FitColumnWidth(border);
            event->accept();
            return;
        }
        int col = 0;
        int row = 0;
        // The first press of a double click on a link was the link click; the second is not.
        if (CellAt(pos, col, row) && isLink(col, row)) {
            event->accept();
            return;
        }
        mousePressEvent(event);
        if (CellAt(pos, col, row) && row >= FixedRows())
            reportErrors([&] { emit CellDoubleClick(this, col, row); });
        return;
    }
    mousePressEvent(event);
}

void TListGrid::linkClick(int col, int row)
{
    // Our own copies: the handler may change the list while it runs.
    const QByteArray anchor = CellText(col, row);
    bool autoHandle = true;
    reportErrors([&] { emit AnchorClick(this, row, col, anchor, &autoHandle); });
    if (autoHandle)
        openAnchor(anchor);
}

void TListGrid::openAnchor(const QByteArray &anchor)
{
    if (isCellAnchor(anchor)) {
        const auto cell = parseCellAnchor(anchor);
        if (cell && cell->row >= FixedRows() && cell->row < RowCount() && cell->col >= 0
            && cell->col < ColCount())
            moveCurrent(cell->col, cell->row);
        return;
    }
    // Only web and mail addresses go to the desktop: a recorded text could name a program.
    if (const auto url = shellOpenableUrl(anchor))
        QDesktopServices::openUrl(*url);
}

void TListGrid::openPopup(const QPoint &globalPos)
{
    if (!m_popup)
        return;
    // The menu's handlers find the list that opened it here.
    m_popup->setProperty("popupComponent", QVariant::fromValue<QObject *>(this));
    m_popup->popup(globalPos);
}

// A marked POST-DATA cell tells why it is marked; an address tells the request it was recorded from.
bool TListGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        int col = 0, row = 0;
        const QString tip = CellAt(help->pos(), col, row)
                                && row >= FixedRows()
            ? m_model->data(m_model->index(row - FixedRows(), col), Qt::ToolTipRole).toString() : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport(), CellRect(col, row));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TListGrid::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    // A right click opened the menu on its press already.
    if (event->reason() != QContextMenuEvent::Mouse)
        openPopupAtCurrentCell();
}

void TListGrid::openPopupAtCurrentCell()
{
    // Some platforms send both a context-menu event and the key itself.
    if (!m_popup || m_popup->isVisible())
        return;
    const QRect r = CellRect(m_curCol, m_curRow);
    openPopup(viewport()->mapToGlobal(r.isEmpty() ? QPoint(0, 0) : r.center()));
}

void TListGrid::wheelEvent(QWheelEvent *event)
{
    event->accept();
    m_wheelRest += event->angleDelta().y();
    const int notches = m_wheelRest / kWheelNotch;
    m_wheelRest -= notches * kWheelNotch;
    if (notches == 0)
        return;
    const int lines = QApplication::wheelScrollLines();
    // A notch towards the user (a negative delta) moves down or zooms in.
    if (event->modifiers() & Qt::ControlModifier) {
        for (int i = 0; i < std::abs(notches); ++i)
            Zoom(notches < 0 ? lines : -lines);
    } else {
        moveByWheelNotches(notches);
    }
}

void TListGrid::moveByWheelNotches(int notches)
{
    const qint64 target = qint64(m_curRow) - qint64(notches) * QApplication::wheelScrollLines();
    moveCurrent(m_curCol, int(std::clamp<qint64>(target, FixedRows(), RowCount() - 1)));
}

void TListGrid::keyPressEvent(QKeyEvent *event)
{
    if (m_panning) {
        stopPanning();
        event->accept();
        return;
    }
    // The context-menu key and Shift+F10 open the pop-up menu at the current cell; where the
    // platform turns them into a context-menu event, that event opens it first.
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        event->accept();
        openPopupAtCurrentCell();
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int page = std::max(1, fullyVisibleRowsFrom(m_topRow));
    int col = m_curCol;
    int row = m_curRow;
    switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= page; break;
    case Qt::Key_PageDown: row += page; break;
    case Qt::Key_Home:
        col = 0;
        if (ctrl)
            row = FixedRows();
        break;
    case Qt::Key_End:
        col = ColCount() - 1;
        if (ctrl)
            row = RowCount() - 1;
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
    moveCurrent(col, row);
}

void TListGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    updateCell(m_curCol, m_curRow);
}

void TListGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    updateCell(m_curCol, m_curRow);
}

void TListGrid::hideEvent(QHideEvent *event)
{
    stopPanning();
    QAbstractScrollArea::hideEvent(event);
}
