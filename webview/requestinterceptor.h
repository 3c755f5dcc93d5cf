#pragma once

#include <QByteArray>
#include <QWebEngineUrlRequestInterceptor>
#include <optional>

class QIODevice;
class QWebEnginePage;
class QWebEngineProfile;

// Tells the profile's body capture, for every request that loads a page or a frame, which
// method it uses, and what the engine tells of its body. Changes no request. One for the
// profile (it sees every page's requests) and one for each page.
class RequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit RequestInterceptor(QWebEnginePage *page);
    RequestInterceptor(QWebEngineProfile *profile, QObject *parent);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    // The largest body read from the network layer; a larger one is left to the capture.
    static constexpr qint64 kNetworkBodyLimit = 32 * 1024 * 1024;
    // The whole body in one read, from a device that may not be open yet; nothing when it could
    // not be read or is larger than the limit.
    static std::optional<QByteArray> readWholeBody(QIODevice *device, qint64 limit);
    // Whether a body sent with this Content-Type may be read from the network layer.
    static bool bodyIsSafeToRead(const QByteArray &contentType);

private:
    QWebEngineProfile *m_profile;
    QWebEnginePage *m_page = nullptr;
};
