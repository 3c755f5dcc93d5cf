#pragma once

// Rows of the list as the recorder leaves them, for the HAR writer's tests and for the sample
// file that the HAR validator checks.

#include "core/utctime.h"
#include "core/harwriter.h"
#include "webview/formencoder.h"

#include <QTimeZone>

namespace harfixture {

inline RequestRecord record(const QByteArray &method, const QByteArray &body, const QByteArray &contentType,
                            RequestWindow window = RequestWindow::Main, const QString &doubt = {})
{
    RequestRecord r;
    r.method = method;
    r.body = body;
    r.contentType = contentType;
    r.recorded = utcDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89));
    r.window = window;
    r.doubt = doubt;
    return r;
}

inline RequestRecord formPost(const QList<FormEntry> &entries, FormEnctype enctype, const QString &charset)
{
    const QByteArray boundary = makeMultipartBoundary();
    return record("POST", encodeFormBody(entries, enctype, charset, boundary), formContentType(enctype, boundary));
}

// Every kind of row: a page, forms of each enctype, a body that is not UTF-8, a file upload with
// binary contents, a row without a request, an uncertain body from the external window.
inline QList<HarRow> allKinds()
{
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary += char(i);
    const QList<FormEntry> fields{FormEntry::text("a", "1 2&3"), FormEntry::text(QString::fromUtf8("caf\u00e9"), "x=y")};
    return {
        {"http://h.test/page?q=a+b&r=%C3%A9", record("GET", {}, {})},
        {"http://h.test/post", formPost(fields, FormEnctype::UrlEncoded, "UTF-8")},
        {"http://h.test/post", formPost(fields, FormEnctype::TextPlain, "UTF-8")},
        {"http://h.test/post", formPost(fields, FormEnctype::TextPlain, "windows-1252")},
        {"http://h.test/post",
         formPost({FormEntry::text("t", "v"), FormEntry::file("f", "b.bin", "application/octet-stream", binary)},
                  FormEnctype::Multipart, "UTF-8")},
        {"", RequestRecord()},
        {"http://h.test/ext", record("POST", "n=1", "application/x-www-form-urlencoded", RequestWindow::External,
                                     "The form was sent by a script and nothing confirmed its entries.")},
    };
}

} // namespace harfixture
