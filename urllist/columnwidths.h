#pragma once

#include <QByteArray>

#include <functional>
#include <map>
#include <vector>

// The measured widths of a list's cells, per column, and a tally of them, so that the widest is
// known at once and a cell is measured again only when its text changes. The list keeps it in
// step with its model: cells changed, rows added and removed, everything reset.
class ColumnWidths
{
public:
    // Width in pixels of a data cell's measured text.
    using Measure = std::function<int(int col, int row)>;

    ColumnWidths(int columns, Measure measure);

    // The measure changed (a new font): every width is stale.
    void invalidate();
    void cellChanged(int col, int row);
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void reset(int rows);

    // The widest measured width of the column's data cells; 0 when they are all empty.
    int widest(int col);

private:
    struct Column
    {
        std::vector<int> widths;
        std::map<int, int> counts; // width -> how many cells
        bool valid = false;
    };
    void count(Column &c, int width, int delta);
    void rebuild(int col);

    Measure m_measure;
    std::vector<Column> m_columns;
    int m_rows = 0;
};
