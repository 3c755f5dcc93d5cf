#include "urllist/htmlwriter.h"

#include "common/ansitext.h"
#include "urllist/listfile.h"

namespace {

constexpr qsizetype kChunkSize = 64 * 1024;

constexpr char kDocumentStart[] =
    "<!DOCTYPE html>\r\n"
    "<html>\r\n"
    "<head>\r\n"
    "<meta charset=\"utf-8\"/>\r\n"
    "<title>Tavorink Trailscribe URL list</title>\r\n"
    "<style>\r\n"
    "body { font-family: Tahoma, sans-serif; font-size: 9pt; }\r\n"
    "table { border-collapse: collapse; }\r\n"
    "th, td { border: 1px solid #a0a0a0; padding: 2px 4px; text-align: left; vertical-align: top;"
    " white-space: pre-wrap; word-break: break-all; }\r\n"
    "</style>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<table>\r\n";

constexpr char kDocumentEnd[] =
    "</table>\r\n"
    "</body>\r\n"
    "</html>\r\n";

void appendEscaped(QByteArray &out, const QByteArray &cell)
{
    const QByteArray utf8 = fromAnsi(cell).toUtf8();
    const char *run = utf8.constData();
    const char *const end = run + utf8.size();
    for (const char *p = run; p != end; ++p) {
        const char *entity = nullptr;
        switch (*p) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        case '\'': entity = "&#39;"; break;
        default: continue;
        }
        out.append(run, p - run);
        out.append(entity);
        run = p + 1;
    }
    out.append(run, end - run);
}

void produceHtml(const CellSource &cells, bool outputFixedCells, const ByteSink &sink)
{
    const CellRange range = outputRange(cells, outputFixedCells);
    QByteArray buffer;
    buffer.reserve(kChunkSize + kChunkSize / 4);
    buffer += kDocumentStart;
    const int headingRows = qBound(0, cells.fixedRows, qMax(0, range.lastRow + 1));
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        const bool heading = row < headingRows;
        if (row == range.firstRow && heading)
            buffer += "<thead>\r\n";
        if (row == headingRows)
            buffer += "<tbody>\r\n";
        buffer += "<tr>";
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            buffer += heading ? "<th>" : "<td>";
            appendEscaped(buffer, cells.cellText(col, row));
            buffer += heading ? "</th>" : "</td>";
        }
        buffer += "</tr>\r\n";
        if (heading && row == headingRows - 1)
            buffer += "</thead>\r\n";
        if (!heading && row == range.lastRow)
            buffer += "</tbody>\r\n";
        if (buffer.size() >= kChunkSize) {
            sink(buffer);
            buffer.resize(0);
        }
    }
    buffer += kDocumentEnd;
    sink(buffer);
}

} // namespace

QByteArray htmlDocument(const CellSource &cells, bool outputFixedCells)
{
    QByteArray document;
    produceHtml(cells, outputFixedCells, [&document](const QByteArray &bytes) { document += bytes; });
    return document;
}

void SaveHtml(const QString &fileName, const CellSource &cells, bool outputFixedCells)
{
    saveListFile(fileName, [&](const ByteSink &sink) { produceHtml(cells, outputFixedCells, sink); });
}
