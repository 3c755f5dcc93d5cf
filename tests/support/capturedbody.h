#pragma once

// The body a navigation was recorded with, against the bytes the server received.

#include "tests/support/httpserver.h"
#include "tests/support/wirebody.h"
#include "webview/formencoder.h"
#include "webview/postdata.h"

#include <QtTest>

// Whether the body and its Content-Type are the wire's. Engines that tell a request's Content-Type
// (Qt 6.5 on) give its multipart boundary too: byte for byte. Qt 6.4 keeps its boundary to itself:
// ours stands in for it, every other byte equal, and the body says its boundary is remade.
inline bool sameAsWire(const PostData &postData, const HttpRequest &request)
{
    const QByteArray wireType = request.header("Content-Type");
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return postData.body() == request.body && postData.contentType() == wireType && !postData.boundaryRemade();
#else
    const QByteArray ours = boundaryOfContentType(postData.contentType());
    const QByteArray wire = boundaryOfContentType(wireType);
    return withBoundaryToken(postData.body(), ours) == withBoundaryToken(request.body, wire)
        && withBoundaryToken(postData.contentType(), ours) == withBoundaryToken(wireType, wire)
        && postData.boundaryRemade() == !wire.isEmpty();
#endif
}

// The same as a test's check, telling both sides when they differ. Callers check
// QTest::currentTestFailed() after it.
inline void compareWithWire(const PostData &postData, const HttpRequest &request)
{
    if (sameAsWire(postData, request))
        return;
    const auto shown = [](const QByteArray &bytes) { return bytes.left(2000).toPercentEncoding(" =&\r\n-;:\""); };
    qWarning().noquote() << "wire:" << request.header("Content-Type") << shown(request.body);
    qWarning().noquote() << "ours:" << postData.contentType() << shown(postData.body())
                         << (postData.boundaryRemade() ? "(boundary remade)" : "");
    QFAIL("the recorded body is not the one the server received");
}
