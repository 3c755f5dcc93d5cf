#pragma once

#include <QWebEnginePage>

class TWebBrowser;

// The page of a TWebBrowser: reports navigations and new-window requests to its view.
class WebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit WebPage(TWebBrowser *view);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    TWebBrowser *m_view;
};
