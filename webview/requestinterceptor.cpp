#include "webview/requestinterceptor.h"

#include "webview/bodycapture.h"
#include "webview/formencoder.h"

#include <QIODevice>
#include <QWebEnginePage>
#include <QWebEngineProfile>

RequestInterceptor::RequestInterceptor(QWebEnginePage *page)
    : QWebEngineUrlRequestInterceptor(page), m_profile(page->profile()), m_page(page)
{
}

RequestInterceptor::RequestInterceptor(QWebEngineProfile *profile, QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent), m_profile(profile)
{
}

std::optional<QByteArray> RequestInterceptor::readWholeBody(QIODevice *device, qint64 limit)
{
    // Qt 6.8's body device copies each block from its start on every read and crashes on blocks
    // that are files on disk: only one read into a buffer larger than the whole body is exact.
    // The device comes unopened. One that is open already was read: after a 307 the engine hands
    // the drained device again (its navigation type no longer says redirect).
    if (!device || device->isOpen() || !device->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    QByteArray buffer(limit + 1, Qt::Uninitialized);
    const QString errorBefore = device->errorString();
    const qint64 n = device->read(buffer.data(), buffer.size());
    // A first read that ends at once, with no error told, is an empty body: a form without
    // entries. The device says nothing else of it.
    if (n < 0)
        return device->errorString() == errorBefore ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    if (n > limit)
        return std::nullopt;
    return QByteArray(buffer.constData(), n);
}

bool RequestInterceptor::bodyIsSafeToRead(const QByteArray &contentType)
{
    // Only the enctypes that carry no files: a multipart body may hold a file the user picked.
    const std::optional<FormEnctype> enctype = enctypeOfContentType(contentType);
    return enctype && *enctype != FormEnctype::Multipart;
}

void RequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const auto type = info.resourceType();
    if (type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame && type != QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
        return;
    const bool isRedirect = info.navigationType() == QWebEngineUrlRequestInfo::NavigationTypeRedirect;
    QByteArray contentType;
    std::optional<QByteArray> body;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    contentType = info.httpHeaders().value(QByteArrayLiteral("Content-Type"));
#endif
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    // The profile's interceptor reads it, once: the page's sees the same device, and after a
    // 307 the device comes again, drained.
    if (!m_page && !isRedirect && info.requestMethod() == "POST" && bodyIsSafeToRead(contentType))
        body = readWholeBody(info.requestBody(), kNetworkBodyLimit);
#endif
    BodyCapture::forProfile(m_profile)
        ->navigationRequested(m_page, info.requestUrl(), info.requestMethod(), isRedirect, contentType, body);
}
