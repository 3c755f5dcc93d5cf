#pragma once

// Lists for the journal's tests, made the same way in the test and in the program it kills, and
// a row-by-row comparison that names the first field that differs.
#include "core/listcolumn.h"
#include "core/requestlistmodel.h"
#include "core/utctime.h"
#include "journal/journalfile.h"

#include <QList>
#include <QString>

namespace journalfixture {

inline RequestRecord record(const QByteArray &method, const QByteArray &body, const QByteArray &type,
                            RequestWindow window, int msOffset)
{
    RequestRecord r;
    r.method = method;
    r.body = body;
    r.contentType = type;
    r.window = window;
    r.recorded = utcDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)).addMSecs(msOffset);
    r.source = body.isEmpty() ? BodySource::None : BodySource::Script;
    return r;
}

// A row as the recorder makes it: the address and a GET, then the body, which makes the POST
// text follow it.
inline void append(RequestListModel &model, const QByteArray &url, const RequestRecord &post)
{
    model.resizeRows(model.rows() + 1);
    const int row = model.rows() - 1;
    model.setCellText(UrlColumn, row, url);
    RequestRecord get = post;
    get.method = "GET";
    get.body.clear();
    get.contentType.clear();
    model.setRequest(row, get);
    if (post.method == "POST")
        model.setBody(row, post);
}

// A body of n bytes of every value, different for each seed.
inline QByteArray bytes(int n, int seed)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + seed * 13 + i / 251) & 0xff);
    return b;
}

// Every kind of row, and every change the list goes through: rows put before others, a row
// deleted, a doubt and a body that come late, a POST text typed over, a large body.
inline void fillList(RequestListModel &model)
{
    static const char multipart[] = "--B0und\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.bin\"\r\n"
                                    "Content-Type: application/octet-stream\r\n\r\n\x01\x00\xff\r\n--B0und--\r\n";
    const auto main = RequestWindow::Main;
    const QByteArray form = "application/x-www-form-urlencoded";
    model.setHeading(PostDataColumn, "POST-DATA \xe9");
    append(model, "http://127.0.0.1:8080/", record("GET", {}, {}, main, 1));
    append(model, "http://example.test/form?e=%E9", record("POST", QByteArray("a=1&b=x+y\0tail", 14), form, main, 2));
    RequestRecord external = record("POST", QByteArray("\0\xff\xe9=1", 5), form, RequestWindow::External, 3);
    external.doubt = QStringLiteral("The body may be another request's.");
    external.source = BodySource::Network;
    append(model, "http://example.test/ext", external);
    RequestRecord frame = record("POST", QByteArray(multipart, sizeof(multipart) - 1),
                                 "multipart/form-data; boundary=B0und", main, 4);
    frame.frame = RequestFrame::Frame;
    frame.boundaryRemade = true;
    append(model, "http://example.test/frame", frame);
    // Typed by hand: no request, and a text over a body that reads the same as the body.
    model.resizeRows(model.rows() + 1);
    model.setCellText(UrlColumn, model.rows() - 1, "mailto:x@y.z");
    model.setCellText(PostDataColumn, model.rows() - 1, "{\\rtf1\\ansi hello\\par world}");
    append(model, "http://example.test/typed-over", record("POST", "same=text", form, main, 5));
    model.setCellText(PostDataColumn, model.rows() - 1, "same=text");
    RequestRecord large = record("POST", bytes(2 << 20, 1), "application/octet-stream", main, 6);
    large.source = BodySource::HarFile;
    append(model, "http://example.test/large", large);
    // Put before others, one at the top and two in the middle.
    model.insertRows(0, 1);
    model.setCellText(UrlColumn, 0, "http://example.test/first");
    model.setRequest(0, record("GET", {}, {}, main, 7));
    model.insertRows(3, 2);
    model.setCellText(UrlColumn, 3, "http://h/\xe9\x80");
    model.setBody(4, record("POST", "k=v", "text/plain", RequestWindow::External, 8));
    model.removeRows(5, 1);
    model.setDoubt(2, QStringLiteral("late doubt"));
    append(model, "http://example.test/late", record("GET", {}, {}, main, 9));
    model.setBody(model.rows() - 1, record("POST", "late=1", form, main, 9));
    RequestRecord noTime = record("GET", {}, {}, RequestWindow::Unknown, 0);
    noTime.recorded = QDateTime();
    append(model, "http://example.test/no-time", noTime);
    model.resizeRows(model.rows() + 1); // the last row, left empty for the next address
}

// The row as the list holds it.
inline JournalRow rowOf(const RequestListModel &model, int row)
{
    JournalRow r;
    r.url = model.url(row);
    r.request = model.request(row);
    r.postFollowsBody = model.postTextFollowsBody(row);
    if (!r.postFollowsBody)
        r.postText = model.postText(row);
    return r;
}

inline QString shown(const QByteArray &bytes)
{
    return bytes.size() > 40 ? QStringLiteral("%1 bytes").arg(bytes.size()) : QString::fromLatin1(bytes.toHex(' '));
}

// The first field in which two rows differ; empty when they are the same.
inline QString difference(const JournalRow &want, const JournalRow &got)
{
    const RequestRecord &w = want.request, &g = got.request;
    const auto bytesField = [](const char *name, const QByteArray &a, const QByteArray &b) {
        return a == b ? QString() : QStringLiteral("%1: want %2, got %3").arg(QLatin1String(name), shown(a), shown(b));
    };
    const auto field = [](const char *name, qint64 a, qint64 b) {
        return a == b ? QString() : QStringLiteral("%1: want %2, got %3").arg(QLatin1String(name)).arg(a).arg(b);
    };
    const QString diffs[] = {
        bytesField("url", want.url, got.url),
        field("postFollowsBody", want.postFollowsBody, got.postFollowsBody),
        bytesField("postText", want.postText, got.postText),
        bytesField("method", w.method, g.method),
        bytesField("body", w.body, g.body),
        bytesField("contentType", w.contentType, g.contentType),
        field("recorded valid", w.recorded.isValid(), g.recorded.isValid()),
        field("recorded ms", w.recorded.toMSecsSinceEpoch(), g.recorded.toMSecsSinceEpoch()),
        field("recorded UTC", w.recorded.timeSpec() == Qt::UTC, g.recorded.timeSpec() == Qt::UTC),
        w.doubt == g.doubt ? QString() : QStringLiteral("doubt: want '%1', got '%2'").arg(w.doubt, g.doubt),
        field("window", int(w.window), int(g.window)),
        field("frame", int(w.frame), int(g.frame)),
        field("source", int(w.source), int(g.source)),
        field("boundaryRemade", w.boundaryRemade, g.boundaryRemade),
    };
    for (const QString &d : diffs)
        if (!d.isEmpty())
            return d;
    return {};
}

// The first row, from `first` on, in which the rows read back differ from the list's.
inline QString listDifference(const RequestListModel &model, const QList<JournalRow> &rows, int first = 0,
                              int count = -1)
{
    if (count < 0)
        count = model.rows() - first;
    if (rows.size() < first + count)
        return QStringLiteral("%1 rows read back, want at least %2").arg(rows.size()).arg(first + count);
    for (int r = first; r < first + count; ++r) {
        const QString d = difference(rowOf(model, r), rows[r]);
        if (!d.isEmpty())
            return QStringLiteral("row %1: %2").arg(r).arg(d);
    }
    return {};
}

} // namespace journalfixture
