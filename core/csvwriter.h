#pragma once

#include "core/cellsource.h"
#include "core/listfile.h"

#include <QByteArray>
#include <QString>

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
