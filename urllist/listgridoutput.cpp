// The list's output operations: thin bindings of the grid to the CSV, HTML and clipboard
// writers, which work on a read-only view of the cells.

#include "core/cellsource.h"
#include "urllist/clipboardcopy.h"
#include "core/csvwriter.h"
#include "core/htmlwriter.h"
#include "urllist/listgrid.h"

#include <QMetaMethod>

CellSource TListGrid::Cells() const
{
    CellSource cells;
    cells.rowCount = RowCount();
    cells.colCount = ColCount();
    cells.fixedRows = FixedRows();
    cells.fixedCols = FixedCols();
    cells.fixedFooters = FixedFooters();
    cells.fixedRightCols = FixedRightCols();
    cells.cellText = [this](int col, int row) { return CellText(col, row); };
    return cells;
}

void TListGrid::SaveCsv(const QString &fileName) const
{
    FileProgressHandler progress;
    if (isSignalConnected(QMetaMethod::fromSignal(&TListGrid::FileProgress))) {
        auto *self = const_cast<TListGrid *>(this);
        progress = [self](qint16 p) { emit self->FileProgress(self, p); };
    }
    ::SaveCsv(fileName, Cells(), Csv, progress);
}

void TListGrid::SaveHtml(const QString &fileName) const
{
    ::SaveHtml(fileName, Cells(), Csv.OutputFixedCells);
}

void TListGrid::CopyAllToClipboard() const
{
    ::CopyAllToClipboard(Cells());
}
