#pragma once

#include "urllist/cellsource.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

// The grid's CSV output settings; the defaults are the URL list's values.
struct CsvOptions
{
    char CsvSeparator = 0;          // NUL stands for ","
    bool QuoteEveryCell = false;
    bool EmptyCellAsQuotes = true;
    bool CaretTildeStyle = false;
    bool OutputFixedCells = true;
    bool OemConvert = false;        // cells go from the local 8-bit code page to OEM code page 437
    bool Multilinecells = false;    // a CR in a cell marks a line break
};

// Called after rows with the percentage written so far; raised only when the value changes.
using FileProgressHandler = std::function<void(qint16 progress)>;

// The rows and columns that a list file (or the clipboard block) covers.
struct CellRange
{
    int firstRow = 0, lastRow = -1, firstCol = 0, lastCol = -1;
};
CellRange outputRange(const CellSource &cells, bool outputFixedCells);

// round(row / (rowCount - 1) * 100) with an exact half going to the even integer; 100 for a
// grid of one row.
qint16 fileProgress(int row, int rowCount);

// Text in the local 8-bit code page converted to OEM code page 437; a character that code page
// lacks becomes "?".
QByteArray ansiToOem(const QByteArray &text);

// One cell as it stands in the file, without the separator.
QByteArray encodeCsvCell(QByteArray text, const CsvOptions &options);

// The whole file's bytes in memory.
QByteArray csvText(const CellSource &cells, const CsvOptions &options,
                   const FileProgressHandler &onFileProgress = {});

// Writes the list to fileName, replacing the file only once every byte is written. Throws
// EListGridError("Cannot Create file " + fileName) when the file cannot be created and
// TrailscribeError with the system's message when a write fails; in both cases an existing file
// keeps its contents and no partial file is left.
void SaveCsv(const QString &fileName, const CellSource &cells, const CsvOptions &options,
             const FileProgressHandler &onFileProgress = {});

// Hands the producer a sink for the file's bytes and writes them to fileName with the guarantees
// and errors of SaveCsv. The producer may call the sink any number of times.
using ByteSink = std::function<void(const QByteArray &bytes)>;
void saveListFile(const QString &fileName, const std::function<void(const ByteSink &sink)> &produce);
