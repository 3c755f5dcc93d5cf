#include "urllist/clipboardcopy.h"

#include "core/ansitext.h"
#include "core/listfile.h"
#include "core/rtfplaintext.h"
#include "core/trailscribeerror.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>

#include <memory>

namespace {

// A cell with a CR keeps its LFs, loses its CRs and is wrapped; inner quotes stay single.
QByteArray withoutCarriageReturns(QByteArray t)
{
    if (!t.contains('\r'))
        return t;
    t.replace('\r', QByteArray());
    return '"' + t + '"';
}

QByteArray clipboardCellText(const QByteArray &cell)
{
    QByteArray t = withoutCarriageReturns(cell);
    // Text that merely holds "{\" without being rich text reads back as itself.
    if (t.contains("{\\") && isRichText(cell))
        t = withoutCarriageReturns(rtfToPlainText(cell));
    return t;
}

} // namespace

QByteArray clipboardBlockText(const CellSource &cells)
{
    const CellRange range = outputRange(cells, true);
    const bool severalRows = range.lastRow > range.firstRow;
    QByteArray text;
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            text += clipboardCellText(cells.cellText(col, row));
            text += '\t';
        }
        if (range.lastCol >= range.firstCol)
            text.chop(1);
        if (severalRows)
            text += "\r\n";
    }
    return text;
}

void SetClipboardText(const QByteArray &text)
{
    const auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!application || QThread::currentThread() != application->thread())
        throw TrailscribeError(QStringLiteral("Cannot open clipboard"));
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw TrailscribeError(QStringLiteral("Cannot open clipboard"));
    auto data = std::make_unique<QMimeData>();
    data->setText(fromAnsi(text));
    clipboard->setMimeData(data.release(), QClipboard::Clipboard); // the clipboard owns it now
}

void CopyAllToClipboard(const CellSource &cells)
{
    SetClipboardText(clipboardBlockText(cells));
}
