#pragma once

#include <QWebEngineUrlRequestInterceptor>

class QWebEnginePage;
class QWebEngineProfile;

// Tells the profile's body capture, for every request that loads a page or a frame, which
// method it uses. Changes no request. One for the profile (it sees every page's requests) and
// one for each page.
class RequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit RequestInterceptor(QWebEnginePage *page);
    RequestInterceptor(QWebEngineProfile *profile, QObject *parent);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    QWebEngineProfile *m_profile;
    QWebEnginePage *m_page = nullptr;
};
