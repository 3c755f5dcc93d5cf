#include "webview/requestinterceptor.h"

#include "webview/bodycapture.h"

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

void RequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const auto type = info.resourceType();
    if (type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame && type != QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
        return;
    BodyCapture::forProfile(m_profile)
        ->navigationRequested(m_page, info.requestUrl(), info.requestMethod(),
                              info.navigationType() == QWebEngineUrlRequestInfo::NavigationTypeRedirect);
}
