#include "core/requestbody.h"

#include "core/hexdigit.h"

#include <QStringDecoder>
#include <QtCore5Compat/QTextCodec>

#include <optional>

#include <utility>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmed(QByteArrayView v)
{
    qsizetype b = 0;
    qsizetype e = v.size();
    while (b < e && isSpace(v[b]))
        ++b;
    while (e > b && isSpace(v[e - 1]))
        --e;
    return v.sliced(b, e - b).toByteArray();
}

// The parameters after the first ";" of a header value such as
// `form-data; name="a;b"; filename="c"`, names in lower case, quotes taken off.
QList<std::pair<QByteArray, QByteArray>> headerParameters(const QByteArray &value)
{
    QList<std::pair<QByteArray, QByteArray>> out;
    qsizetype i = value.indexOf(';');
    while (i >= 0 && i < value.size()) {
        ++i; // past ';'
        const qsizetype eq = value.indexOf('=', i);
        const qsizetype semi = value.indexOf(';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            i = semi;
            continue;
        }
        const QByteArray name = trimmed(QByteArrayView(value).sliced(i, eq - i)).toLower();
        qsizetype v = eq + 1;
        while (v < value.size() && isSpace(value[v]))
            ++v;
        QByteArray param;
        if (v < value.size() && value[v] == '"') {
            const qsizetype close = value.indexOf('"', v + 1);
            const qsizetype end = close < 0 ? value.size() : close;
            param = value.mid(v + 1, end - v - 1);
            i = close < 0 ? -1 : value.indexOf(';', close + 1);
        } else {
            const qsizetype end = semi < 0 ? value.size() : semi;
            param = trimmed(QByteArrayView(value).sliced(v, end - v));
            i = semi;
        }
        out.append({name, param});
    }
    return out;
}

// The bytes as UTF-8 text when they are exactly that (the text gives back the same bytes).
// Text that opens with a byte order mark is left out too: some JSON readers (Qt's among them)
// drop it from the start of a string.
std::optional<QString> exactUtf8(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes)
        return std::nullopt;
    return text;
}

QByteArray formUnescape(QByteArrayView v)
{
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < v.size() && hexDigitValue(v[i + 1]) >= 0 && hexDigitValue(v[i + 2]) >= 0) {
            out += char(hexDigitValue(v[i + 1]) * 16 + hexDigitValue(v[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

FormField splitField(QByteArrayView pair, bool unescape, const QString &charset)
{
    const qsizetype eq = pair.indexOf('=');
    const QByteArrayView name = eq < 0 ? pair : pair.first(eq);
    const QByteArrayView value = eq < 0 ? QByteArrayView() : pair.sliced(eq + 1);
    if (unescape)
        return {decodeInCharset(formUnescape(name), charset), decodeInCharset(formUnescape(value), charset)};
    return {decodeInCharset(name.toByteArray(), charset), decodeInCharset(value.toByteArray(), charset)};
}

const char kHex[] = "0123456789ABCDEF";

} // namespace

QByteArray contentMediaType(const QByteArray &contentType)
{
    const qsizetype semi = contentType.indexOf(';');
    return trimmed(QByteArrayView(contentType).first(semi < 0 ? contentType.size() : semi)).toLower();
}

QByteArray contentTypeParameter(const QByteArray &contentType, const QByteArray &name)
{
    const QByteArray wanted = name.toLower();
    for (const auto &[key, value] : headerParameters(contentType))
        if (key == wanted)
            return value;
    return {};
}

QString bodyCharset(const QByteArray &contentType)
{
    const QByteArray charset = contentTypeParameter(contentType, "charset");
    if (!charset.isEmpty())
        if (QTextCodec *codec = QTextCodec::codecForName(charset))
            return QString::fromLatin1(codec->name());
    return {};
}

QString decodeInCharset(const QByteArray &bytes, const QString &charset)
{
    if (QTextCodec *codec = charset.isEmpty() ? nullptr : QTextCodec::codecForName(charset.toLatin1()))
        return codec->toUnicode(bytes);
    if (std::optional<QString> text = exactUtf8(bytes))
        return *text;
    return QString::fromLatin1(bytes);
}

QString charsetDescription(const QString &charset)
{
    return charset.isEmpty() ? QStringLiteral("UTF-8 (Latin-1 where not UTF-8)") : charset;
}

std::optional<QString> exactUtf8Text(const QByteArray &bytes)
{
    return exactUtf8(bytes);
}

QList<FormField> parseUrlEncoded(const QByteArray &body, const QString &charset)
{
    QList<FormField> out;
    qsizetype at = 0;
    while (at <= body.size()) {
        qsizetype end = body.indexOf('&', at);
        if (end < 0)
            end = body.size();
        if (end > at)
            out.append(splitField(QByteArrayView(body).sliced(at, end - at), true, charset));
        at = end + 1;
    }
    return out;
}

QList<FormField> parseTextPlain(const QByteArray &body, const QString &charset)
{
    QList<FormField> out;
    qsizetype at = 0;
    while (at < body.size()) {
        qsizetype end = body.indexOf("\r\n", at);
        const qsizetype next = end < 0 ? body.size() : end + 2;
        if (end < 0)
            end = body.size();
        out.append(splitField(QByteArrayView(body).sliced(at, end - at), false, charset));
        at = next;
    }
    return out;
}

MultipartBody parseMultipart(const QByteArray &body, const QByteArray &boundary)
{
    MultipartBody result;
    if (boundary.isEmpty())
        return result;
    const QByteArray opening = "--" + boundary;
    const QByteArray delimiter = "\r\n--" + boundary;
    if (!body.startsWith(opening))
        return result;
    qsizetype at = opening.size();
    for (;;) {
        // Just after a delimiter: "--" closes the body, CR LF opens a part.
        if (QByteArrayView(body).sliced(at).startsWith("--")) {
            const QByteArrayView rest = QByteArrayView(body).sliced(at + 2);
            result.complete = rest.isEmpty() || rest == "\r\n";
            return result;
        }
        if (!QByteArrayView(body).sliced(at).startsWith("\r\n"))
            return result;
        at += 2;
        // The headers end with an empty line; a part without headers starts with it.
        qsizetype headersEnd = 0;
        if (QByteArrayView(body).sliced(at).startsWith("\r\n")) {
            headersEnd = at;
        } else {
            headersEnd = body.indexOf("\r\n\r\n", at);
            if (headersEnd < 0)
                return result;
            headersEnd += 2;
        }
        MultipartPart part;
        for (qsizetype lineStart = at; lineStart < headersEnd;) {
            const qsizetype lineEnd = body.indexOf("\r\n", lineStart);
            const QByteArrayView line = QByteArrayView(body).sliced(lineStart, lineEnd - lineStart);
            lineStart = lineEnd + 2;
            const qsizetype colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = trimmed(line.first(colon)).toLower();
            const QByteArray value = trimmed(line.sliced(colon + 1));
            if (name == "content-type") {
                part.contentType = value;
            } else if (name == "content-disposition") {
                for (const auto &[key, param] : headerParameters(value)) {
                    if (key == "name") {
                        part.name = param;
                    } else if (key == "filename") {
                        part.fileName = param;
                        part.hasFileName = true;
                    }
                }
            }
        }
        const qsizetype dataStart = headersEnd + 2;
        const qsizetype dataEnd = body.indexOf(delimiter, dataStart);
        if (dataEnd < 0)
            return result;
        part.data = body.mid(dataStart, dataEnd - dataStart);
        result.parts.append(std::move(part));
        at = dataEnd + delimiter.size();
    }
}

QString readableBytes(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size() + bytes.size() / 8);
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            out += QLatin1Char('\n');
            ++i;
        } else if (b == '\n') {
            out += QLatin1Char('\n');
        } else if (b < 0x20) {
            out += QChar(char16_t(0x2400 + b));
        } else if (b == 0x7F) {
            out += QChar(char16_t(0x2421));
        } else if (b >= 0x80) {
            out += QLatin1String("\\x");
            out += QLatin1Char(kHex[b >> 4]);
            out += QLatin1Char(kHex[b & 15]);
        } else {
            out += QLatin1Char(char(b));
        }
    }
    return out;
}

QString hexPreview(const QByteArray &bytes, int max)
{
    const int count = int(std::min<qsizetype>(bytes.size(), max));
    QString out = hexBytesText(bytes.constData(), count, count);
    if (bytes.size() > max)
        out += QStringLiteral(" \u2026");
    return out;
}

QString hexOffsetText(qint64 offset)
{
    return QStringLiteral("%1").arg(offset, 8, 16, QLatin1Char('0')).toUpper();
}

QString hexBytesText(const char *data, int count, int perLine)
{
    QString out;
    out.reserve(perLine * 3);
    for (int i = 0; i < count; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (i > 0)
            out += QLatin1Char(' ');
        out += QLatin1Char(kHex[b >> 4]);
        out += QLatin1Char(kHex[b & 15]);
    }
    // Short lines keep the width of full ones, so the columns line up.
    while (out.size() < perLine * 3 - 1)
        out += QLatin1Char(' ');
    return out;
}

QString hexAsciiText(const char *data, int count)
{
    QString out(count, QLatin1Char('.'));
    for (int i = 0; i < count; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b >= 0x20 && b <= 0x7E)
            out[i] = QLatin1Char(char(b));
    }
    return out;
}
