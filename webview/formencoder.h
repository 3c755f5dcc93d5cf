#pragma once

// Encoding of a form's entry list into a request body, byte for byte as the web engine sends
// it, for the three form enctypes and any character set the engine knows.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One entry of a form's entry list: a name with a text value, or a name with a file.
struct FormEntry
{
    QString name;
    QString value;
    bool isFile = false;
    QString fileName;
    QString fileType;     // empty when the file has no type
    QByteArray fileBytes;

    static FormEntry text(const QString &name, const QString &value);
    static FormEntry file(const QString &name, const QString &fileName, const QString &fileType,
                          const QByteArray &bytes);
};

enum class FormEnctype { UrlEncoded, TextPlain, Multipart };

// An enctype attribute value (any letter case) as the engine reads it; anything unknown is
// urlencoded.
FormEnctype parseFormEnctype(const QString &enctype);

// The canonical name of an encoding label ("latin1" -> "windows-1252", "sjis" -> "Shift_JIS"),
// or an empty string for a label that names no encoding. Labels are matched without letter case
// and without surrounding white space.
QString canonicalEncodingName(const QString &label);

// The charset a form submits in: the first label of accept-charset (separated by white space or
// commas) that names an encoding, else the document's charset. UTF-16 and unknown charsets submit
// as UTF-8.
QString formSubmissionCharset(const QString &acceptCharset, const QString &documentCharset);

// The text in the charset; characters the charset cannot hold become "&#N;" with N the decimal
// code point.
QByteArray encodeInCharset(const QString &text, const QString &charset);

// CR, LF and CR LF each become CR LF.
QString normalizeLineBreaks(const QString &text);

QByteArray encodeUrlEncoded(const QList<FormEntry> &entries, const QString &charset);
QByteArray encodeTextPlain(const QList<FormEntry> &entries, const QString &charset);
QByteArray encodeMultipart(const QList<FormEntry> &entries, const QString &charset,
                           const QByteArray &boundary);
QByteArray encodeFormBody(const QList<FormEntry> &entries, FormEnctype enctype,
                          const QString &charset, const QByteArray &boundary);

// The Content-Type header the engine sends with a form body of that enctype.
QByteArray formContentType(FormEnctype enctype, const QByteArray &boundary);

// A fresh multipart boundary of the engine's shape: "----WebKitFormBoundary" and 16 random
// letters and digits.
QByteArray makeMultipartBoundary();

// The boundary parameter of a multipart/form-data Content-Type header, unquoted; empty when the
// header is not multipart or names none.
QByteArray boundaryOfContentType(const QByteArray &contentType);

// The enctype a Content-Type header sends, when it is one of the three a form can send.
std::optional<FormEnctype> enctypeOfContentType(const QByteArray &contentType);
