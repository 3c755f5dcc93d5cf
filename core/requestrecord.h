#pragma once

#include "common/bodysource.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The request behind one row of the URL list, as it was recorded. It is kept beside the row's
// cells and never shown in them: the main window's POST text leaves out zero bytes, the record
// keeps the body exactly as sent.
struct RequestRecord
{
    QByteArray method;      // "GET" or "POST"; empty for a row that holds no request
    QByteArray body;        // the body's bytes exactly as sent; empty without one
    QByteArray contentType; // the Content-Type of the body when known, else empty
    QDateTime recorded;     // when the row was recorded, in UTC
    QString window;         // "main" or "external"
    QString doubt;          // why the body may not be the one sent; empty when certain
    QString frame = QStringLiteral("top-level"); // or "frame": a navigation of a frame in the page
    BodySource source = BodySource::None;        // where the body came from
    bool boundaryRemade = false; // a multipart body with our boundary: the engine kept its own to itself

    bool isEmpty() const { return method.isEmpty(); }
    friend bool operator==(const RequestRecord &, const RequestRecord &) = default;
};

// What the address of a row's request says in its tooltip: method, when it was recorded (local
// time), the window and the frame, e.g. "POST · 2026-12-10 16:20:03 · main window · top-level".
// Empty for a record that holds no request.
QString requestSummary(const RequestRecord &request);

// What the POST-DATA cell of a row's request says in its tooltip: why the body is not certain,
// and that its multipart boundary is ours where the engine kept its own; empty when neither.
QString postDataTip(const RequestRecord &request);

// The Content-Type that goes with a multipart/form-data body, read from the boundary the body
// opens and closes with; empty when the body is not one.
QByteArray multipartContentType(const QByteArray &body);
