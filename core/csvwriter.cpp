#include "core/csvwriter.h"

#include "core/ansitext.h"

#include <QList>

#include <array>
#include <cstring>

namespace {

// Unicode code points of bytes 0x80 to 0xFF in code page 437.
constexpr std::array<char32_t, 128> kOem437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

char oem437Byte(char32_t codePoint)
{
    if (codePoint < 0x80)
        return char(codePoint);
    if (codePoint == 0x03BC) // Greek mu, which some tables give for the micro sign
        return char(0xE6);
    for (std::size_t i = 0; i < kOem437High.size(); ++i) {
        if (kOem437High[i] == codePoint)
            return char(0x80 + i);
    }
    return '?';
}

struct CellScan
{
    bool quote = false, separator = false, cr = false, lf = false;
};

CellScan scanCell(const QByteArray &t, char separator)
{
    CellScan s;
    for (const char c : t) {
        if (c == '"')
            s.quote = true;
        if (c == separator)
            s.separator = true;
        if (c == '\r')
            s.cr = true;
        else if (c == '\n')
            s.lf = true;
    }
    return s;
}

// Drops every run of CRs that ends at an LF, so CR LF (or CR CR LF) leaves only the LF.
QByteArray removeCrBeforeLf(const QByteArray &t)
{
    QByteArray out;
    out.reserve(t.size());
    qsizetype i = 0;
    while (i < t.size()) {
        if (t[i] != '\r') {
            out += t[i++];
            continue;
        }
        qsizetype end = i;
        while (end < t.size() && t[end] == '\r')
            ++end;
        if (end == t.size() || t[end] != '\n')
            out.append(t.constData() + i, end - i);
        i = end;
    }
    return out;
}

QByteArray caretTildeLines(const QByteArray &t)
{
    QByteArray out;
    out.reserve(t.size());
    for (const char c : t) {
        if (c == '\r')
            out += '~';
        else if (c != '\n')
            out += c;
    }
    return out;
}

// Whether the text holds any of the four bytes: this runs over every byte of the file, and the
// C library's search is the fastest scan at hand.
bool holdsAnyOf(const QByteArray &t, char a, char b, char c, char d)
{
    const char *p = t.constData();
    const size_t n = size_t(t.size());
    return std::memchr(p, a, n) || std::memchr(p, b, n) || std::memchr(p, c, n)
        || std::memchr(p, d, n);
}

void appendCsvCell(BlockWriter &out, const QByteArray &cell, const CsvOptions &options, char separator)
{
    // Most cells go out as they are; only the others take the full encoding.
    if (!options.QuoteEveryCell && !options.OemConvert && !cell.isEmpty()
        && !holdsAnyOf(cell, '"', separator, '\r', '\n'))
        out.append(cell);
    else
        out.append(encodeCsvCell(cell, options));
}

void produceCsv(const CellSource &cells, const CsvOptions &options,
                const FileProgressHandler &onFileProgress, const ByteSink &sink)
{
    const char separator = options.CsvSeparator ? options.CsvSeparator : ',';
    const CellRange range = outputRange(cells, options.OutputFixedCells);
    BlockWriter out(sink);
    bool progressRaised = false;
    qint16 lastProgress = 0;
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            if (col != range.firstCol)
                out.append(separator);
            appendCsvCell(out, cells.cellText(col, row), options, separator);
        }
        out.append("\r\n");
        if (onFileProgress) {
            const qint16 progress = fileProgress(row, cells.rowCount);
            if (!progressRaised || progress != lastProgress) {
                progressRaised = true;
                lastProgress = progress;
                onFileProgress(progress);
            }
        }
    }
    out.flush();
}

} // namespace

QByteArray ansiToOem(const QByteArray &text)
{
    bool ascii = true;
    for (const char c : text)
        ascii = ascii && uchar(c) < 0x80;
    if (ascii)
        return text;
    QByteArray out;
    const QList<uint> codePoints = fromAnsi(text).toUcs4();
    out.reserve(codePoints.size());
    for (const uint codePoint : codePoints)
        out += oem437Byte(char32_t(codePoint));
    return out;
}

QByteArray encodeCsvCell(QByteArray t, const CsvOptions &options)
{
    const char separator = options.CsvSeparator ? options.CsvSeparator : ',';
    CellScan scan = scanCell(t, separator);
    const bool special = scan.quote || scan.separator || scan.cr || scan.lf;
    if (!special && !t.isEmpty() && !options.QuoteEveryCell && !options.OemConvert)
        return t;

    if (scan.quote)
        t.replace("\"", "\"\"");
    if (options.OemConvert) {
        t = ansiToOem(t);
        scan = scanCell(t, separator);
    }

    if (options.CaretTildeStyle) {
        // A line break never reaches the file raw: it becomes "~" as in a cell with the separator.
        if (scan.separator || scan.cr || scan.lf)
            t = caretTildeLines(t);
        if (options.QuoteEveryCell || (scan.quote && !scan.separator))
            t = '"' + t + '"';
        if (t.isEmpty())
            t = "^";
        return t;
    }

    if (scan.separator || (options.Multilinecells && scan.cr))
        t = removeCrBeforeLf(t);
    // A cell with a line break is wrapped too, so that its row stays one record for a reader.
    if (options.QuoteEveryCell || scan.quote || scan.separator || scan.cr || scan.lf)
        t = '"' + t + '"';
    if (t.isEmpty() && options.EmptyCellAsQuotes)
        t = "\"\"";
    return t;
}

QByteArray csvText(const CellSource &cells, const CsvOptions &options,
                   const FileProgressHandler &onFileProgress)
{
    QByteArray text;
    produceCsv(cells, options, onFileProgress, [&text](const QByteArray &bytes) { text.append(bytes.constData(), bytes.size()); });
    return text;
}

void SaveCsv(const QString &fileName, const CellSource &cells, const CsvOptions &options,
             const FileProgressHandler &onFileProgress)
{
    saveListFile(fileName, [&](const ByteSink &sink) { produceCsv(cells, options, onFileProgress, sink); });
}
