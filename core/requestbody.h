#pragma once

// Reading a recorded request body for display: its Content-Type's parameters, the fields of a
// form body and a readable text of any bytes. Nothing here changes a body; the views built on
// it show what was sent.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The media type of a Content-Type ("Multipart/Form-Data; boundary=x" -> "multipart/form-data"),
// in lower case; empty when there is none.
QByteArray contentMediaType(const QByteArray &contentType);
// A parameter of a Content-Type, by name (any letter case), with its quotes taken off; empty when
// it is not there.
QByteArray contentTypeParameter(const QByteArray &contentType, const QByteArray &name);
// The charset a body's text is decoded in: the Content-Type's charset when it names one the
// program knows, else empty: not named.
QString bodyCharset(const QByteArray &contentType);
// The bytes decoded in the charset; bytes the charset cannot read become U+FFFD. Without a
// charset, bytes that are exactly UTF-8 are read as UTF-8 and any others as Latin-1, one byte a
// character, so that nothing is lost. Every reader of a body (the request window, the HAR file)
// decodes its texts here.
QString decodeInCharset(const QByteArray &bytes, const QString &charset);
// The bytes as UTF-8 text when they are exactly that and do not open with a byte order mark;
// otherwise no value.
std::optional<QString> exactUtf8Text(const QByteArray &bytes);
// What the request window says a body's texts were decoded as.
QString charsetDescription(const QString &charset);

// One name/value field of an application/x-www-form-urlencoded or text/plain body.
struct FormField
{
    QString name;
    QString value;
    friend bool operator==(const FormField &, const FormField &) = default;
};

// "&"-separated name=value pairs; "+" is a space and %HH a byte (a "%" not followed by two hex
// digits stays as it is), both before decoding in the charset. Empty pairs are skipped; a pair
// without "=" is a name with an empty value.
QList<FormField> parseUrlEncoded(const QByteArray &body, const QString &charset);
// name=value lines, each ended by CR LF (the last one may lack it), split at the first "=".
// A value that itself held a line break cannot be told from a new line: it reads as two fields.
QList<FormField> parseTextPlain(const QByteArray &body, const QString &charset);

// One part of a multipart/form-data body, its header values as sent.
struct MultipartPart
{
    QByteArray name;        // the Content-Disposition's name
    QByteArray fileName;    // its filename, when hasFileName
    bool hasFileName = false;
    QByteArray contentType; // the part's Content-Type; empty when it has none
    QByteArray data;        // the part's bytes
    friend bool operator==(const MultipartPart &, const MultipartPart &) = default;
};

struct MultipartBody
{
    QList<MultipartPart> parts;
    // False when the body does not end with its closing delimiter or a part is cut short: parts
    // then holds the parts read before the fault.
    bool complete = false;
};

// The parts of a multipart body with that boundary (without its leading "--").
MultipartBody parseMultipart(const QByteArray &body, const QByteArray &boundary);

// The bytes as one text for reading: CR LF and LF are line breaks, every other byte below 0x20
// (a lone CR and TAB included) and DEL are their Control Pictures (NUL is U+2400, DEL U+2421),
// bytes 0x80 to 0xFF are "\xHH" with two upper-case hex digits, and the other bytes are
// themselves. The bytes are not decoded in any charset; the hex view is the one exact view.
QString readableBytes(const QByteArray &bytes);

// The first max bytes as upper-case hex pairs separated by spaces, with " …" after them when
// there are more.
QString hexPreview(const QByteArray &bytes, int max = 64);

// One line of a hex dump: the offset in eight hex digits, then the line's bytes as hex pairs
// and as ASCII ("." for bytes outside 0x20..0x7E).
QString hexOffsetText(qint64 offset);
QString hexBytesText(const char *data, int count, int perLine);
QString hexAsciiText(const char *data, int count);
