#pragma once

#include "webview/postdata.h"

#include <QWebEnginePage>
#include <functional>

// The page of a web view: announces every navigation of the page and its frames, with the
// request body that goes with it, and asks its new-window handler for the page that is to
// receive a new window.
class WebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    // Returns the page for the new window, or nullptr to refuse it. The engine needs the answer
    // at once, so this is a call, not a signal.
    using NewWindowHandler = std::function<QWebEnginePage *()>;

    explicit WebPage(QObject *parent = nullptr);

    void setNewWindowHandler(NewWindowHandler handler) { m_newWindow = std::move(handler); }

signals:
    // Before every navigation of the page and of each of its frames; every one goes ahead.
    void navigationStarting(const QString &url, const PostDataRef &postData);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    NewWindowHandler m_newWindow;
};
