#pragma once

#include <QByteArray>
#include <functional>

// A read-only view of a grid's cells for the writers: its size, its fixed bands and a function
// that gives the stored text of one cell. The grid hands one of these to the CSV, HTML and
// clipboard writers, which never see the grid itself.
struct CellSource
{
    int rowCount = 0;
    int colCount = 0;
    int fixedRows = 1;
    int fixedCols = 0;
    int fixedFooters = 0;
    int fixedRightCols = 0;
    std::function<QByteArray(int col, int row)> cellText;
};
