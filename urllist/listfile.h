#pragma once

#include "urllist/cellsource.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

// What the list's file writers (CSV, HTML) and the clipboard copy share: the range of cells they
// cover, the progress figure, and the safe writing of a file.

// The rows and columns that a list file (or the clipboard block) covers.
struct CellRange
{
    int firstRow = 0, lastRow = -1, firstCol = 0, lastCol = -1;
};
CellRange outputRange(const CellSource &cells, bool outputFixedCells);

// Called after rows with the percentage written so far; raised only when the value changes.
using FileProgressHandler = std::function<void(qint16 progress)>;

// round(row / (rowCount - 1) * 100) with an exact half going to the even integer; 100 for a
// grid of one row.
qint16 fileProgress(int row, int rowCount);

// The writers hand their bytes to the sink in blocks of about this size.
inline constexpr qsizetype kListFileBlock = 1024 * 1024;

// Hands the producer a sink for the file's bytes and writes them to fileName, replacing the file
// only once every byte is written. Throws EListGridError("Cannot Create file " + fileName) when
// the file cannot be created and TrailscribeError with the system's message when a write fails;
// in both cases an existing file keeps its contents and no partial file is left. The producer may
// call the sink any number of times.
using ByteSink = std::function<void(const QByteArray &bytes)>;
void saveListFile(const QString &fileName, const std::function<void(const ByteSink &sink)> &produce);
