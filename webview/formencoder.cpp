#include "webview/formencoder.h"

#include <QHash>
#include <QRandomGenerator>
#include <QStringList>
#include <QtCore5Compat/QTextCodec>

FormEntry FormEntry::text(const QString &name, const QString &value)
{
    FormEntry e;
    e.name = name;
    e.value = value;
    return e;
}

FormEntry FormEntry::file(const QString &name, const QString &fileName, const QString &fileType,
                          const QByteArray &bytes)
{
    FormEntry e;
    e.name = name;
    e.isFile = true;
    e.fileName = fileName;
    e.fileType = fileType;
    e.fileBytes = bytes;
    return e;
}

FormEnctype parseFormEnctype(const QString &enctype)
{
    const QString e = enctype.trimmed().toLower();
    if (e == QLatin1String("multipart/form-data"))
        return FormEnctype::Multipart;
    if (e == QLatin1String("text/plain"))
        return FormEnctype::TextPlain;
    return FormEnctype::UrlEncoded;
}

namespace {

// The labels of the encodings a web page can name, after the web's encoding standard.
const QHash<QString, QString> &encodingLabels()
{
    static const QHash<QString, QString> table = [] {
        const struct { const char *name; const char *labels; } groups[] = {
            {"UTF-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
            {"IBM866", "866 cp866 csibm866 ibm866"},
            {"ISO-8859-2", "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2"},
            {"ISO-8859-3", "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3"},
            {"ISO-8859-4", "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4"},
            {"ISO-8859-5", "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 iso_8859-5:1988"},
            {"ISO-8859-6", "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
            {"ISO-8859-7", "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
            {"ISO-8859-8", "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 iso_8859-8 iso_8859-8:1988 visual"},
            {"ISO-8859-8-I", "csiso88598i iso-8859-8-i logical"},
            {"ISO-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
            {"ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
            {"ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
            {"ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
            {"ISO-8859-16", "iso-8859-16"},
            {"KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r"},
            {"KOI8-U", "koi8-ru koi8-u"},
            {"macintosh", "csmacintosh mac macintosh x-mac-roman"},
            {"windows-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
            {"windows-1250", "cp1250 windows-1250 x-cp1250"},
            {"windows-1251", "cp1251 windows-1251 x-cp1251"},
            {"windows-1252", "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
            {"windows-1253", "cp1253 windows-1253 x-cp1253"},
            {"windows-1254", "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 latin5 windows-1254 x-cp1254"},
            {"windows-1255", "cp1255 windows-1255 x-cp1255"},
            {"windows-1256", "cp1256 windows-1256 x-cp1256"},
            {"windows-1257", "cp1257 windows-1257 x-cp1257"},
            {"windows-1258", "cp1258 windows-1258 x-cp1258"},
            {"x-mac-cyrillic", "x-mac-cyrillic x-mac-ukrainian"},
            {"GBK", "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
            {"gb18030", "gb18030"},
            {"Big5", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
            {"EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
            {"ISO-2022-JP", "csiso2022jp iso-2022-jp"},
            {"Shift_JIS", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
            {"EUC-KR", "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 ksc_5601 windows-949"},
            {"UTF-16BE", "unicodefffe utf-16be"},
            {"UTF-16LE", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
            {"x-user-defined", "x-user-defined"},
        };
        QHash<QString, QString> t;
        for (const auto &g : groups)
            for (const QString &label : QString::fromLatin1(g.labels).split(QLatin1Char(' ')))
                t.insert(label, QString::fromLatin1(g.name));
        return t;
    }();
    return table;
}

// windows-1252 as the web defines it: Latin-1 but for 0x80..0x9F.
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int windows1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == cp)
            return 0x80 + i;
    return -1;
}

void appendEntity(QByteArray &out, char32_t cp)
{
    out += "&#" + QByteArray::number(uint(cp)) + ';';
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (char32_t cp : text.toUcs4()) {
        const int b = windows1252Byte(cp);
        if (b >= 0)
            out += char(b);
        else
            appendEntity(out, cp);
    }
    return out;
}

QByteArray encodeUserDefined(const QString &text)
{
    QByteArray out;
    for (char32_t cp : text.toUcs4()) {
        if (cp < 0x80)
            out += char(cp);
        else if (cp >= 0xF780 && cp <= 0xF7FF)
            out += char(cp - 0xF780 + 0x80);
        else
            appendEntity(out, cp);
    }
    return out;
}

// Runs of characters the codec can hold are encoded whole (so stateful codecs shift properly);
// the others become entities in between.
QByteArray encodeWithCodec(QTextCodec *codec, const QString &text)
{
    QHash<char32_t, bool> known;
    auto encodable = [&](char32_t cp) {
        auto it = known.constFind(cp);
        if (it != known.constEnd())
            return *it;
        const QString one = QString::fromUcs4(&cp, 1);
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        codec->fromUnicode(one.constData(), one.size(), &state);
        const bool ok = state.invalidChars == 0 && state.remainingChars == 0;
        known.insert(cp, ok);
        return ok;
    };
    QByteArray out;
    QString run;
    auto flush = [&] {
        if (run.isEmpty())
            return;
        // A stateful codec (ISO-2022-JP) shifts back to ASCII only before an ASCII character:
        // encode one after the run and drop it again.
        run += QLatin1Char('a');
        QByteArray bytes = codec->fromUnicode(run);
        if (bytes.endsWith('a'))
            bytes.chop(1);
        out += bytes;
        run.clear();
    };
    for (char32_t cp : text.toUcs4()) {
        if (cp < 0x80 || encodable(cp)) {
            run += QString::fromUcs4(&cp, 1);
        } else {
            flush();
            appendEntity(out, cp);
        }
    }
    flush();
    return out;
}

QByteArray percentEncoded(const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const uchar c = uchar(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '*' || c == '-'
            || c == '.' || c == '_') {
            out += char(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// The value of an entry where only names and values are sent: a file is sent as its name.
QString entryValueText(const FormEntry &e)
{
    return e.isFile ? e.fileName : e.value;
}

QByteArray quotedHeaderValue(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (char c : bytes) {
        if (c == '"')
            out += "%22";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    out += '"';
    return out;
}

} // namespace

QString canonicalEncodingName(const QString &label)
{
    return encodingLabels().value(label.trimmed().toLower());
}

QString formSubmissionCharset(const QString &acceptCharset, const QString &documentCharset)
{
    QString chosen;
    QString labels = acceptCharset;
    labels.replace(QLatin1Char(','), QLatin1Char(' '));
    for (const QString &label : labels.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        chosen = canonicalEncodingName(label);
        if (!chosen.isEmpty())
            break;
    }
    if (chosen.isEmpty())
        chosen = canonicalEncodingName(documentCharset);
    if (chosen.isEmpty() || chosen.startsWith(QLatin1String("UTF-16")))
        chosen = QStringLiteral("UTF-8");
    return chosen;
}

QByteArray encodeInCharset(const QString &text, const QString &charset)
{
    const QString name = canonicalEncodingName(charset);
    if (name.isEmpty() || name == QLatin1String("UTF-8") || name.startsWith(QLatin1String("UTF-16")))
        return text.toUtf8();
    if (name == QLatin1String("windows-1252"))
        return encodeWindows1252(text);
    if (name == QLatin1String("x-user-defined"))
        return encodeUserDefined(text);
    QTextCodec *codec = QTextCodec::codecForName(name.toLatin1());
    if (!codec)
        return text.toUtf8();
    return encodeWithCodec(codec, text);
}

QString normalizeLineBreaks(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += QLatin1String("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray encodeUrlEncoded(const QList<FormEntry> &entries, const QString &charset)
{
    QByteArray out;
    for (const FormEntry &e : entries) {
        if (!out.isEmpty())
            out += '&';
        out += percentEncoded(encodeInCharset(normalizeLineBreaks(e.name), charset));
        out += '=';
        out += percentEncoded(encodeInCharset(normalizeLineBreaks(entryValueText(e)), charset));
    }
    return out;
}

QByteArray encodeTextPlain(const QList<FormEntry> &entries, const QString &charset)
{
    QByteArray out;
    for (const FormEntry &e : entries) {
        out += encodeInCharset(normalizeLineBreaks(e.name), charset);
        out += '=';
        out += encodeInCharset(normalizeLineBreaks(entryValueText(e)), charset);
        out += "\r\n";
    }
    return out;
}

QByteArray encodeMultipart(const QList<FormEntry> &entries, const QString &charset, const QByteArray &boundary)
{
    qsizetype size = 0;
    for (const FormEntry &e : entries)
        size += e.fileBytes.size() + e.value.size() * 3 + e.name.size() * 3 + boundary.size() + 128;
    QByteArray out;
    out.reserve(size + boundary.size() + 8);
    for (const FormEntry &e : entries) {
        out += "--" + boundary + "\r\n";
        out += "Content-Disposition: form-data; name=";
        out += quotedHeaderValue(encodeInCharset(normalizeLineBreaks(e.name), charset));
        if (e.isFile) {
            out += "; filename=";
            out += quotedHeaderValue(encodeInCharset(e.fileName, charset));
            out += "\r\nContent-Type: ";
            out += e.fileType.isEmpty() ? QByteArray("application/octet-stream") : e.fileType.toLatin1();
            out += "\r\n\r\n";
            out += e.fileBytes;
        } else {
            out += "\r\n\r\n";
            out += encodeInCharset(normalizeLineBreaks(e.value), charset);
        }
        out += "\r\n";
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

QByteArray encodeFormBody(const QList<FormEntry> &entries, FormEnctype enctype, const QString &charset,
                          const QByteArray &boundary)
{
    switch (enctype) {
    case FormEnctype::TextPlain:
        return encodeTextPlain(entries, charset);
    case FormEnctype::Multipart:
        return encodeMultipart(entries, charset, boundary);
    case FormEnctype::UrlEncoded:
        break;
    }
    return encodeUrlEncoded(entries, charset);
}

QByteArray formContentType(FormEnctype enctype, const QByteArray &boundary)
{
    switch (enctype) {
    case FormEnctype::TextPlain:
        return "text/plain";
    case FormEnctype::Multipart:
        return "multipart/form-data; boundary=" + boundary;
    case FormEnctype::UrlEncoded:
        break;
    }
    return "application/x-www-form-urlencoded";
}

QByteArray makeMultipartBoundary()
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray b("----WebKitFormBoundary");
    for (int i = 0; i < 16; ++i)
        b += alphabet[QRandomGenerator::global()->bounded(62)];
    return b;
}

QByteArray boundaryOfContentType(const QByteArray &contentType)
{
    const QList<QByteArray> parts = contentType.split(';');
    if (parts.isEmpty() || parts.first().trimmed().toLower() != "multipart/form-data")
        return {};
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts.at(i).trimmed();
        const qsizetype eq = part.indexOf('=');
        if (eq < 0 || part.left(eq).trimmed().toLower() != "boundary")
            continue;
        QByteArray value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

std::optional<FormEnctype> enctypeOfContentType(const QByteArray &contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    if (type == "application/x-www-form-urlencoded")
        return FormEnctype::UrlEncoded;
    if (type == "text/plain")
        return FormEnctype::TextPlain;
    if (type == "multipart/form-data")
        return FormEnctype::Multipart;
    return std::nullopt;
}
