#include "webpage.h"

#include "twebbrowser.h"
#include "webprofile.h"

WebPage::WebPage(TWebBrowser *view) : QWebEnginePage(trailscribeProfile(), view), m_view(view)
{
}

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    Q_UNUSED(type);
    Q_UNUSED(isMainFrame);
    auto postData = PostDataRef::create();
    m_view->fireBeforeNavigate2(url.toString(QUrl::FullyEncoded), postData);
    return true;
}

QWebEnginePage *WebPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type);
    return m_view->fireNewWindow2();
}

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                       int lineNumber, const QString &sourceID)
{
    Q_UNUSED(level);
    Q_UNUSED(message);
    Q_UNUSED(lineNumber);
    Q_UNUSED(sourceID);
}
