#include "urllist/listgrid.h"

#include "common/ansitext.h"
#include "common/errorreport.h"
#include "urllist/linkcell.h"
#include "urllist/listcolumn.h"
#include "urllist/listgriddelegate.h"
#include "urllist/listgridlook.h"
#include "urllist/listgridmodel.h"

#include <QApplication>
#include <QBitmap>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

using namespace ListGridLook;

namespace {
constexpr int kColumns = PostDataColumn + 1;
constexpr int kSizingZone = 4;   // pixels either side of a column border in the heading row
constexpr int kPanDeadZone = 5;  // pixels above or below the pan point that move nothing
constexpr int kPanMarkSize = 32;
constexpr int kWheelNotch = 120;

QCursor arrowCursor(bool up)
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
} // namespace

TListGrid::TListGrid(QWidget *parent)
    : QAbstractScrollArea(parent),
      m_model(new TListGridModel(kColumns, this)),
      m_delegate(new TListGridDelegate(this)),
      m_colWidths{39, 750}, // UrlColumn, PostDataColumn
      m_font(cellFont(0)),
      m_fixedFont(cellFont(0)),
      m_panUpCursor(arrowCursor(true)),
      m_panDownCursor(arrowCursor(false))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // A click on a link must not take the focus; other clicks take it explicitly. The viewport's
    // focus proxy is the list, so its policy is set first: setting it passes on to the list.
    viewport()->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::TabFocus);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    m_model->resizeRows(2, kDefaultRowHeight);
    m_model->setText(UrlColumn, 0, "URL");
    m_model->setText(PostDataColumn, 0, "POST-DATA");
    applyFonts();

    verticalScrollBar()->setSingleStep(1);
    m_panTimer.setInterval(10);
    connect(&m_panTimer, &QTimer::timeout, this, &TListGrid::panTick);

    stretch();
}

TListGrid::~TListGrid() = default;

// ---- data ----------------------------------------------------------------------------------

QByteArray TListGrid::CellText(int col, int row) const
{
    return m_model->text(col, row);
}

void TListGrid::SetCellText(int col, int row, const QByteArray &text)
{
    if (m_model->setText(col, row, text))
        updateCell(col, row);
}

int TListGrid::RowCount() const
{
    return m_model->rows();
}

int TListGrid::ColCount() const
{
    return m_model->columns();
}

int TListGrid::DefaultRowHeight() const
{
    return kDefaultRowHeight;
}

int TListGrid::DefaultColWidth() const
{
    return kDefaultColWidth;
}

void TListGrid::SetRowCount(int n)
{
    // The list always keeps its heading row and one data row.
    n = std::max(n, FixedRows() + 1);
    if (n == RowCount())
        return;
    m_model->resizeRows(n, kDefaultRowHeight);
    if (m_curRow >= n)
        m_curRow = n - 1;
    stretch();
    setTopRow(m_topRow);
    viewport()->update();
}

GridRect TListGrid::Selection() const
{
    return GridRect{m_curCol, m_curRow, m_curCol, m_curRow};
}

void TListGrid::DeleteRows(int first, int count)
{
    if (first > RowCount() || first < FixedRows() || count <= 0)
        return;
    // Never remove the last data row: the list always has one.
    const int n = std::min({count, RowCount() - first, RowCount() - FixedRows() - 1});
    if (n <= 0)
        return;
    const bool wasEnabled = updatesEnabled();
    setUpdatesEnabled(false);
    const int r = m_curRow;
    const int t = m_topRow;
    m_model->deleteRows(first, n);
    if (r < RowCount()) {
        m_curRow = r;
        m_topRow = t;
    } else {
        m_curRow = RowCount() - 1;
    }
    stretch();
    setTopRow(m_topRow);
    setUpdatesEnabled(wasEnabled);
    viewport()->update();
}

void TListGrid::ClearDataCells()
{
    for (int row = FixedRows(); row < RowCount() - FixedFooters(); ++row)
        for (int col = FixedCols(); col < ColCount() - FixedRightCols(); ++col)
            if (!m_model->text(col, row).isEmpty())
                SetCellText(col, row, QByteArray());
}

void TListGrid::FitColumnWidth(int col)
{
    if (col < 0 || col >= ColCount())
        return;
    const int need = m_model->widestWidth(col) + 2 * kTextInset;
    const int w = 2 * kGridLineWidth + 2 + need + 2;
    SetColWidth(col, std::max(w, 10));
}

int TListGrid::ColWidth(int col) const
{
    return col >= 0 && col < ColCount() ? m_colWidths[size_t(col)] : 0;
}

void TListGrid::SetColWidth(int col, int w)
{
    if (col < 0 || col >= ColCount())
        return;
    m_colWidths[size_t(col)] = std::max(0, w);
    stretch();
    viewport()->update();
}

int TListGrid::RowHeight(int row) const
{
    return m_model->rowHeight(row);
}

quint64 TListGrid::RowId(int row) const
{
    return m_model->rowId(row);
}

int TListGrid::RowOfId(quint64 id) const
{
    return m_model->rowOfId(id);
}

void TListGrid::setPopupMenu(QMenu *menu)
{
    m_popup = menu;
}

QMenu *TListGrid::popupMenu() const
{
    return m_popup;
}

void TListGrid::Zoom(int delta)
{
    const int z = m_zoom + delta;
    if (delta == 0 || z < kMinZoom || z > kMaxZoom)
        return;
    m_zoom = z;
    for (int &w : m_colWidths)
        if (w + delta > 0)
            w += delta;
    m_model->addToRowHeights(delta);
    applyFonts();
    stretch();
    setTopRow(m_topRow);
    viewport()->update();
}

void TListGrid::SetFont(const QFont &font)
{
    m_font = font;
    applyFonts();
    viewport()->update();
}

void TListGrid::SetFixedFont(const QFont &font)
{
    m_fixedFont = font;
    applyFonts();
    viewport()->update();
}

void TListGrid::applyFonts()
{
    const QFont font = zoomedFont(m_font, m_zoom);
    const QFont fixedFont = zoomedFont(m_fixedFont, m_zoom);
    m_delegate->setFonts(font, fixedFont);
    m_model->setMeasure([fm = QFontMetrics(font), fixedFm = QFontMetrics(fixedFont)](
                            const QByteArray &text, int row) {
        return (row < kFixedRows ? fixedFm : fm).horizontalAdvance(fromAnsi(text));
    });
}

// ---- geometry ------------------------------------------------------------------------------

int TListGrid::colLeft(int col) const
{
    int x = 0;
    for (int c = 0; c < col && c < ColCount(); ++c)
        x += m_colWidths[size_t(c)];
    return x;
}

int TListGrid::totalWidth() const
{
    return colLeft(ColCount());
}

int TListGrid::dataAreaHeight() const
{
    return viewport()->height() - RowHeight(0);
}

int TListGrid::fullyVisibleRowsFrom(int top) const
{
    const int area = dataAreaHeight();
    int y = 0;
    int n = 0;
    for (int r = top; r < RowCount(); ++r) {
        y += RowHeight(r);
        if (y > area)
            break;
        ++n;
    }
    return n;
}

int TListGrid::lastFullyVisibleRow() const
{
    return m_topRow + std::max(1, fullyVisibleRowsFrom(m_topRow)) - 1;
}

int TListGrid::LastTopRow() const
{
    const int last = RowCount() - 1;
    const int area = dataAreaHeight();
    int sum = 0;
    int r = last;
    for (; r >= FixedRows(); --r) {
        sum += RowHeight(r);
        if (sum > area)
            break;
    }
    return std::clamp(r + 1, FixedRows(), std::max(FixedRows(), last));
}

QRect TListGrid::CellRect(int col, int row) const
{
    if (!m_model->contains(col, row))
        return {};
    const int x = colLeft(col) - horizontalScrollBar()->value();
    if (row < FixedRows())
        return QRect(x, 0, ColWidth(col), RowHeight(row));
    if (row < m_topRow)
        return {};
    int y = RowHeight(0);
    const int h = viewport()->height();
    for (int r = m_topRow; r < row; ++r) {
        y += RowHeight(r);
        if (y >= h)
            return {};
    }
    return QRect(x, y, ColWidth(col), RowHeight(row));
}

bool TListGrid::CellAt(const QPoint &pos, int &col, int &row) const
{
    if (!viewport()->rect().contains(pos))
        return false;
    const int x = pos.x() + horizontalScrollBar()->value();
    int left = 0;
    col = -1;
    for (int c = 0; c < ColCount(); ++c) {
        if (x >= left && x < left + m_colWidths[size_t(c)]) {
            col = c;
            break;
        }
        left += m_colWidths[size_t(c)];
    }
    if (col < 0)
        return false;
    if (pos.y() < RowHeight(0)) {
        row = 0;
        return true;
    }
    int y = RowHeight(0);
    for (int r = m_topRow; r < RowCount() && y < viewport()->height(); ++r) {
        if (pos.y() < y + RowHeight(r)) {
            row = r;
            return true;
        }
        y += RowHeight(r);
    }
    return false;
}

int TListGrid::sizingBorderAt(const QPoint &pos) const
{
    if (pos.y() < 0 || pos.y() >= RowHeight(0))
        return -1;
    int best = -1;
    int bestDistance = kSizingZone;
    const int hoff = horizontalScrollBar()->value();
    for (int c = 0; c < ColCount(); ++c) {
        const int border = colLeft(c) + m_colWidths[size_t(c)] - hoff;
        const int d = std::abs(pos.x() - border);
        if (d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

void TListGrid::stretch()
{
    const int last = ColCount() - 1;
    const int s = colLeft(last);
    const int client = viewport()->width();
    m_colWidths[size_t(last)] = s < client ? client - s - 1 : kDefaultColWidth;
    updateScrollBars();
}

void TListGrid::updateScrollBars()
{
    // Showing or hiding a bar resizes the viewport, which runs the stretch again.
    if (m_inStretch)
        return;
    m_inStretch = true;
    QScrollBar *v = verticalScrollBar();
    const int lastTop = LastTopRow();
    v->setRange(0, lastTop - FixedRows());
    v->setPageStep(std::max(1, fullyVisibleRowsFrom(m_topRow)));
    QScrollBar *h = horizontalScrollBar();
    const int client = viewport()->width();
    h->setRange(0, std::max(0, totalWidth() - client));
    h->setPageStep(std::max(1, client));
    h->setSingleStep(std::max(1, client / 20));
    m_inStretch = false;
}

void TListGrid::resizeEvent(QResizeEvent *)
{
    stretch();
    setTopRow(m_topRow);
}

void TListGrid::setTopRow(int row)
{
    row = std::clamp(row, FixedRows(), LastTopRow());
    m_topRow = row;
    QScrollBar *v = verticalScrollBar();
    if (v->value() != row - FixedRows())
        v->setValue(row - FixedRows());
    v->setPageStep(std::max(1, fullyVisibleRowsFrom(m_topRow)));
    viewport()->update();
}

void TListGrid::scrollContentsBy(int, int)
{
    m_topRow = std::clamp(verticalScrollBar()->value() + FixedRows(), FixedRows(),
                          std::max(FixedRows(), RowCount() - 1));
    viewport()->update();
}

void TListGrid::ensureCurrentVisible()
{
    if (m_curRow < m_topRow) {
        setTopRow(m_curRow);
    } else if (m_curRow > lastFullyVisibleRow()) {
        const int area = dataAreaHeight();
        int top = m_curRow;
        int sum = RowHeight(top);
        while (top - 1 >= FixedRows() && sum + RowHeight(top - 1) <= area) {
            --top;
            sum += RowHeight(top);
        }
        setTopRow(top);
    }
    QScrollBar *h = horizontalScrollBar();
    const int x = colLeft(m_curCol);
    const int w = ColWidth(m_curCol);
    const int client = viewport()->width();
    if (x < h->value())
        h->setValue(x);
    else if (x + w > h->value() + client)
        h->setValue(std::min(x, x + w - client));
}

void TListGrid::updateCell(int col, int row)
{
    const QRect r = CellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r);
}

void TListGrid::moveCurrent(int col, int row)
{
    col = std::clamp(col, 0, ColCount() - 1);
    row = std::clamp(row, FixedRows(), std::max(FixedRows(), RowCount() - 1));
    if (col != m_curCol || row != m_curRow) {
        updateCell(m_curCol, m_curRow);
        m_curCol = col;
        m_curRow = row;
    }
    ensureCurrentVisible();
    updateCell(m_curCol, m_curRow);
}

void TListGrid::SetCurrentCell(int col, int row)
{
    moveCurrent(col, row);
}

// ---- painting ------------------------------------------------------------------------------

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
            m_delegate->paint(&p, opt, m_model->index(row, col));
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

// ---- mouse and keys ------------------------------------------------------------------------

void TListGrid::updatePointer(const QPoint &pos)
{
    int col = 0;
    int row = 0;
    if (sizingBorderAt(pos) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (CellAt(pos, col, row) && m_model->isLink(col, row))
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
        if (onCell && m_model->isLink(col, row)) {
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
        if (CellAt(pos, col, row) && m_model->isLink(col, row)) {
            event->accept();
            return;
        }
    }
    mousePressEvent(event);
}

void TListGrid::linkClick(int col, int row)
{
    // Our own copies: the handler may change the list while it runs.
    const QByteArray anchor = m_model->text(col, row);
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

void TListGrid::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    // A right click opened the menu on its press already.
    if (event->reason() != QContextMenuEvent::Mouse) {
        const QRect r = CellRect(m_curCol, m_curRow);
        openPopup(viewport()->mapToGlobal(r.isEmpty() ? QPoint(0, 0) : r.center()));
    }
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

// ---- panning -------------------------------------------------------------------------------

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
