#include "core/curlcommand.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

// A single argument must stay well below the kernel's limit on one argument string (128 KiB).
constexpr qsizetype kLargestArgumentBody = 64 * 1024;

bool isPrintableAscii(char c)
{
    return c >= ' ' && c <= '~';
}

void appendHexEscape(QByteArray &out, char c)
{
    const auto b = static_cast<unsigned char>(c);
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
}

// A printf format that writes exactly the given bytes: every byte as \xHH, so that neither a
// zero byte nor "%" nor "\" means anything to printf.
QByteArray printfFormat(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 4 + 2);
    out += '\'';
    for (char c : bytes)
        appendHexEscape(out, c);
    out += '\'';
    return out;
}

} // namespace

QByteArray shellQuote(const QByteArray &bytes)
{
    bool plain = true;
    for (char c : bytes)
        if (!isPrintableAscii(c) || c == '\'')
            plain = false;
    if (plain)
        return '\'' + bytes + '\'';
    QByteArray out = "$'";
    out.reserve(bytes.size() * 4 + 3);
    for (char c : bytes) {
        if (c == '\\' || c == '\'') {
            out += '\\';
            out += c;
        } else if (isPrintableAscii(c)) {
            out += c;
        } else {
            appendHexEscape(out, c);
        }
    }
    out += '\'';
    return out;
}

QByteArray curlCommand(const RequestRecord &request, const QByteArray &url)
{
    QByteArray urlArgs;
    // curl reads [] and {} in an address as patterns unless told not to.
    if (url.contains('[') || url.contains(']') || url.contains('{') || url.contains('}'))
        urlArgs += "--globoff ";
    if (url.startsWith('-'))
        urlArgs += "--url ";
    urlArgs += shellQuote(url);

    if (request.method != "POST")
        return "curl " + urlArgs;

    // Without a known Content-Type curl would send its own; an empty header value drops it.
    const QByteArray header = request.contentType.isEmpty()
                                  ? QByteArray("-H 'Content-Type:'")
                                  : "-H " + shellQuote("Content-Type: " + request.contentType);
    const QByteArray &body = request.body;
    const bool throughInput = body.contains('\0') || body.startsWith('@') || body.size() > kLargestArgumentBody;
    if (throughInput)
        return "printf " + printfFormat(body) + " | curl " + header + " --data-binary @- " + urlArgs;
    return "curl " + header + " --data-binary " + shellQuote(body) + ' ' + urlArgs;
}
