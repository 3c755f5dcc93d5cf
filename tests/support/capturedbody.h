#pragma once

// The body a navigation was recorded with, against the bytes the server received.

#include "tests/support/httpserver.h"
#include "tests/support/wirebody.h"
#include "webview/formencoder.h"
#include "webview/postdata.h"

#include <QtTest>

// Whether the body and its Content-Type are the wire's: byte for byte where the engine tells its
// boundary (Qt 6.5 on), every byte but the boundary's where it does not.
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

// Engines that tell a request's Content-Type (Qt 6.5 on) give its multipart boundary too: the
// body and its Content-Type equal the wire's byte for byte. Qt 6.4 keeps its boundary to itself:
// ours stands in for it, every other byte equal, and the body says its boundary is remade.
// Callers check QTest::currentTestFailed() after it.
inline void compareWithWire(const PostData &postData, const HttpRequest &request)
{
    const QByteArray wireType = request.header("Content-Type");
    const QByteArray wireBoundary = boundaryOfContentType(wireType);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    if (postData.body() != request.body) {
        qWarning().noquote() << "wire:" << request.body.left(2000).toPercentEncoding(" =&\r\n-;:\"");
        qWarning().noquote() << "ours:" << postData.body().left(2000).toPercentEncoding(" =&\r\n-;:\"");
    }
    QCOMPARE(postData.body(), request.body);
    QCOMPARE(postData.contentType(), wireType);
    QVERIFY(!postData.boundaryRemade());
#else
    const QByteArray ourBoundary = boundaryOfContentType(postData.contentType());
    const QByteArray wire = withBoundaryToken(request.body, wireBoundary);
    const QByteArray ours = withBoundaryToken(postData.body(), ourBoundary);
    if (ours != wire) {
        qWarning().noquote() << "wire:" << wire.left(2000).toPercentEncoding(" =&\r\n-;:\"");
        qWarning().noquote() << "ours:" << ours.left(2000).toPercentEncoding(" =&\r\n-;:\"");
    }
    QCOMPARE(ours, wire);
    QCOMPARE(withBoundaryToken(postData.contentType(), ourBoundary), withBoundaryToken(wireType, wireBoundary));
    QCOMPARE(postData.boundaryRemade(), !wireBoundary.isEmpty());
#endif
}
