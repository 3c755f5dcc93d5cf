// Where the list's columns and rows are: cell rectangles, hit tests, the column stretch, the
// scroll bars and the current cell kept in view.
#include "urllist/listgrid.h"

#include "urllist/listgridlook.h"

#include <QScrollBar>

#include <algorithm>
#include <cstdlib>

using namespace ListGridLook;

namespace {
constexpr int kSizingZone = 4; // pixels either side of a column border in the heading row
} // namespace

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
    if (!containsCell(col, row))
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
    const bool moved = col != m_curCol || row != m_curRow;
    if (moved) {
        updateCell(m_curCol, m_curRow);
        m_curCol = col;
        m_curRow = row;
    }
    ensureCurrentVisible();
    updateCell(m_curCol, m_curRow);
    if (moved)
        emit currentCellChanged(m_curCol, m_curRow);
}

void TListGrid::SetCurrentCell(int col, int row)
{
    moveCurrent(col, row);
}
