#pragma once

#include "webview/postdata.h"

#include <QByteArray>
#include <QString>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <functional>
#include <optional>

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

    // Loads a request the program makes itself. The POST navigation it starts is reported with
    // the request's own body and Content-Type, certain at once: nothing is captured or paired
    // for it.
    void loadRequest(const QWebEngineHttpRequest &request);

signals:
    // Before every navigation of the page and of each of its frames; every one goes ahead.
    void navigationStarting(const QString &url, const PostDataRef &postData);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    struct KnownBody
    {
        QString key;  // the pairing key of the request's address
        QByteArray body;
        QByteArray contentType;
    };

    NewWindowHandler m_newWindow;
    // The body of the POST that loadRequest started, until its navigation is reported.
    std::optional<KnownBody> m_knownBody;
};
