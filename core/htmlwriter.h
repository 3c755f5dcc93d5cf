#pragma once

#include "core/cellsource.h"

#include <QByteArray>
#include <QString>

// The grid as a complete HTML document in UTF-8: one table with every cell that the CSV file
// holds with the same OutputFixedCells, the fixed rows as its heading. Every cell is converted
// from the local 8-bit code page and escaped, so no recorded text becomes markup.
QByteArray htmlDocument(const CellSource &cells, bool outputFixedCells = true);

// Writes htmlDocument(cells, outputFixedCells) to fileName with the guarantees and errors of
// SaveCsv.
void SaveHtml(const QString &fileName, const CellSource &cells, bool outputFixedCells = true);
