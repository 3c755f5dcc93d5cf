#include "urllist/columnwidths.h"

#include <algorithm>

ColumnWidths::ColumnWidths(int columns, Measure measure)
    : m_measure(std::move(measure)), m_columns(size_t(std::max(1, columns)))
{
}

void ColumnWidths::invalidate()
{
    for (Column &c : m_columns) {
        c.valid = false;
        c.counts.clear();
        c.widths.clear();
        c.widths.shrink_to_fit();
    }
}

void ColumnWidths::count(Column &c, int width, int delta)
{
    auto it = c.counts.try_emplace(width, 0).first;
    it->second += delta;
    if (it->second <= 0)
        c.counts.erase(it);
}

void ColumnWidths::cellChanged(int col, int row)
{
    if (col < 0 || col >= int(m_columns.size()) || row < 0 || row >= m_rows)
        return;
    Column &c = m_columns[size_t(col)];
    if (!c.valid)
        return;
    int &w = c.widths[size_t(row)];
    count(c, w, -1);
    w = m_measure(col, row);
    count(c, w, +1);
}

void ColumnWidths::rowsInserted(int first, int last)
{
    const int n = last - first + 1;
    m_rows += n;
    for (size_t col = 0; col < m_columns.size(); ++col) {
        Column &c = m_columns[col];
        if (!c.valid)
            continue;
        c.widths.insert(c.widths.begin() + first, size_t(n), 0);
        for (int row = first; row <= last; ++row) {
            c.widths[size_t(row)] = m_measure(int(col), row);
            count(c, c.widths[size_t(row)], +1);
        }
    }
}

void ColumnWidths::rowsRemoved(int first, int last)
{
    m_rows -= last - first + 1;
    for (Column &c : m_columns) {
        if (!c.valid)
            continue;
        for (int row = first; row <= last; ++row)
            count(c, c.widths[size_t(row)], -1);
        c.widths.erase(c.widths.begin() + first, c.widths.begin() + last + 1);
    }
}

void ColumnWidths::reset(int rows)
{
    m_rows = rows;
    invalidate();
}

void ColumnWidths::rebuild(int col)
{
    Column &c = m_columns[size_t(col)];
    c.counts.clear();
    c.widths.assign(size_t(m_rows), 0);
    for (int row = 0; row < m_rows; ++row) {
        c.widths[size_t(row)] = m_measure(col, row);
        ++c.counts[c.widths[size_t(row)]];
    }
    c.valid = true;
}

int ColumnWidths::widest(int col)
{
    if (col < 0 || col >= int(m_columns.size()))
        return 0;
    if (!m_columns[size_t(col)].valid)
        rebuild(col);
    const auto &counts = m_columns[size_t(col)].counts;
    return counts.empty() ? 0 : counts.rbegin()->first;
}
