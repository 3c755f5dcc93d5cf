#include "core/clipboardtext.h"

#include "core/listfile.h"
#include "core/rtfplaintext.h"

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

