#pragma once

// Small cell sources for the writer tests: a table of rows, and the URL list made of its
// heading row and data rows.

#include "core/cellsource.h"

#include <QByteArray>
#include <QList>

using Rows = QList<QList<QByteArray>>;

inline CellSource cellsOf(const Rows &rows, int fixedRows = 1, int fixedCols = 0, int fixedFooters = 0,
                          int fixedRightCols = 0)
{
    CellSource cells;
    cells.rowCount = int(rows.size());
    cells.colCount = rows.isEmpty() ? 0 : int(rows.first().size());
    cells.fixedRows = fixedRows;
    cells.fixedCols = fixedCols;
    cells.fixedFooters = fixedFooters;
    cells.fixedRightCols = fixedRightCols;
    cells.cellText = [rows](int col, int row) { return rows.at(row).at(col); };
    return cells;
}

// The URL list: its heading row, then the data rows, or one blank row when there are none.
inline CellSource urlList(Rows dataRows)
{
    if (dataRows.isEmpty())
        dataRows.append({QByteArray(), QByteArray()});
    dataRows.prepend({"URL", "POST-DATA"});
    return cellsOf(dataRows);
}
