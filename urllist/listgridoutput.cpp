// The list's output operations: the CSV, HTML and clipboard writers over the list's model.

#include "core/cellsource.h"
#include "urllist/clipboardcopy.h"
#include "core/csvwriter.h"
#include "core/htmlwriter.h"
#include "core/requestlistmodel.h"
#include "urllist/listgrid.h"

#include <QMetaMethod>

CellSource TListGrid::Cells() const
{
    return listCells(*m_model);
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
