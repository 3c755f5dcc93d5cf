#include "webview/webpage.h"

#include "webview/bodycapture.h"
#include "webview/requestinterceptor.h"
#include "webview/twebbrowser.h"
#include "webview/webprofile.h"

WebPage::WebPage(TWebBrowser *view) : QWebEnginePage(trailscribeProfile(), view), m_view(view)
{
    setUrlRequestInterceptor(new RequestInterceptor(this));
}

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    Q_UNUSED(isMainFrame);
    auto postData = PostDataRef::create();
    BodyCapture::forProfile(profile())->navigationAccepted(this, url, type == NavigationTypeRedirect, postData);
    m_view->fireBeforeNavigate2(url.toString(QUrl::FullyEncoded), postData);
    return true;
}

QWebEnginePage *WebPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type);
    return m_view->fireNewWindow2();
}

// Messages of our capture script are consumed; those of page scripts are ignored.
void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                       int lineNumber, const QString &sourceID)
{
    Q_UNUSED(level);
    Q_UNUSED(lineNumber);
    Q_UNUSED(sourceID);
    BodyCapture::forProfile(profile())->handleConsoleMessage(message);
}
