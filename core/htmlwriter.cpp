#include "core/htmlwriter.h"

#include "core/ansitext.h"
#include "core/listfile.h"

#include <array>
#include <cstring>

namespace {

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

bool isAscii(const char *p, qsizetype n)
{
    constexpr quint64 kHighBits = 0x8080808080808080ULL;
    quint64 bits = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        bits |= word;
    }
    for (; i < n; ++i)
        bits |= static_cast<unsigned char>(p[i]);
    return (bits & kHighBits) == 0;
}

constexpr std::array<char, 5> kMarkup = {'&', '<', '>', '"', '\''};
constexpr std::array<QByteArrayView, 5> kEntities = {"&amp;", "&lt;", "&gt;", "&quot;", "&#39;"};

const char *find(const char *p, const char *end, char c)
{
    const void *hit = std::memchr(p, c, size_t(end - p));
    return hit ? static_cast<const char *>(hit) : end;
}

// Appends UTF-8 text with its markup characters as entities. Each markup character is searched
// for with the C library's scan, which looks at every byte once per character and is far faster
// than a loop over the bytes.
void appendEscapedUtf8(BlockWriter &out, const char *p, const char *const end)
{
    std::array<const char *, kMarkup.size()> next;
    for (size_t k = 0; k < kMarkup.size(); ++k)
        next[k] = find(p, end, kMarkup[k]);
    for (;;) {
        size_t first = 0;
        for (size_t k = 1; k < next.size(); ++k)
            if (next[k] < next[first])
                first = k;
        const char *const at = next[first];
        if (at == end)
            break;
        out.append(p, at - p);
        out.append(kEntities[first]);
        p = at + 1;
        next[first] = find(p, end, kMarkup[first]);
    }
    out.append(p, end - p);
}

void appendEscaped(BlockWriter &out, const QByteArray &cell)
{
    // ASCII is the same bytes in every 8-bit code page and in UTF-8.
    if (isAscii(cell.constData(), cell.size())) {
        appendEscapedUtf8(out, cell.constData(), cell.constData() + cell.size());
        return;
    }
    const QByteArray utf8 = fromAnsi(cell).toUtf8();
    appendEscapedUtf8(out, utf8.constData(), utf8.constData() + utf8.size());
}

void produceHtml(const CellSource &cells, bool outputFixedCells, const ByteSink &sink)
{
    const CellRange range = outputRange(cells, outputFixedCells);
    BlockWriter out(sink);
    out.append(kDocumentStart);
    const int headingRows = qBound(0, cells.fixedRows, qMax(0, range.lastRow + 1));
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        const bool heading = row < headingRows;
        if (row == range.firstRow && heading)
            out.append("<thead>\r\n");
        if (row == headingRows)
            out.append("<tbody>\r\n");
        out.append("<tr>");
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            out.append(heading ? "<th>" : "<td>");
            appendEscaped(out, cells.cellText(col, row));
            out.append(heading ? "</th>" : "</td>");
        }
        out.append("</tr>\r\n");
        if (heading && row == headingRows - 1)
            out.append("</thead>\r\n");
        if (!heading && row == range.lastRow)
            out.append("</tbody>\r\n");
    }
    out.append(kDocumentEnd);
    out.flush();
}

} // namespace

QByteArray htmlDocument(const CellSource &cells, bool outputFixedCells)
{
    QByteArray document;
    produceHtml(cells, outputFixedCells,
                [&document](const QByteArray &bytes) { document.append(bytes.constData(), bytes.size()); });
    return document;
}

void SaveHtml(const QString &fileName, const CellSource &cells, bool outputFixedCells)
{
    saveListFile(fileName, [&](const ByteSink &sink) { produceHtml(cells, outputFixedCells, sink); });
}
