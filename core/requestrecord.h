#pragma once

#include "core/bodysource.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The window whose view made a request. A record made elsewhere may not know it.
enum class RequestWindow : quint8 { Unknown, Main, External };
// Whether the navigation was the page's own or one of a frame in it.
enum class RequestFrame : quint8 { TopLevel, Frame };

// How files and the request window name them: "main", "external" (empty when unknown);
// "top-level", "frame".
QString windowName(RequestWindow window);
QString frameName(RequestFrame frame);

// The request behind one row of the URL list, as it was recorded: the body exactly as sent. The
// row's POST text is made from it when asked (the main window's leaves out zero bytes).
struct RequestRecord
{
    QByteArray method;      // "GET" or "POST"; empty for a row that holds no request
    QByteArray body;        // the body's bytes exactly as sent; empty without one
    QByteArray contentType; // the Content-Type of the body when known, else empty
    QDateTime recorded;     // when the row was recorded, in UTC
    QString doubt;          // why the body may not be the one sent; empty when certain
    RequestWindow window = RequestWindow::Unknown;
    RequestFrame frame = RequestFrame::TopLevel;
    BodySource source = BodySource::None; // where the body came from
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

// The request's Content-Type; for a record without one, what its body shows it to be (a
// multipart body names its boundary), else empty.
QByteArray bodyContentType(const RequestRecord &request);

// The Content-Type that goes with a multipart/form-data body, read from the boundary the body
// opens and closes with; empty when the body is not one.
QByteArray multipartContentType(const QByteArray &body);
