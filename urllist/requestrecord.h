#pragma once

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

    bool isEmpty() const { return method.isEmpty(); }
    friend bool operator==(const RequestRecord &, const RequestRecord &) = default;
};

// The Content-Type that goes with a multipart/form-data body, read from the boundary the body
// opens and closes with; empty when the body is not one.
QByteArray multipartContentType(const QByteArray &body);
