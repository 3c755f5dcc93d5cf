#pragma once

#include "webview/postdata.h"

#include <QByteArray>
#include <QString>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <optional>

// The page of a web view: announces every navigation of the page and its frames, with the
// request body that goes with it, and asks for the page that is to receive a new window.
class WebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit WebPage(QObject *parent = nullptr);

    // Loads a request the program makes itself. The POST navigation it starts is reported with
    // the request's own body and Content-Type, certain at once: nothing is captured or paired
    // for it.
    void loadRequest(const QWebEngineHttpRequest &request);

signals:
    // Before every navigation of the page and of each of its frames; every one goes ahead.
    void navigationStarting(const QString &url, const PostDataRef &postData);
    // The page asks for a new window. The engine needs the answer at once: connect with
    // Qt::DirectConnection and set *target to the page that is to receive it; left null, the
    // window is refused.
    void newWindowAsked(QWebEnginePage **target);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;
    // The page's dialogs hold up only the window of its view (see pagedialogs.h).
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    void announceNavigation(const QUrl &url, NavigationType type, bool isMainFrame);

    struct KnownBody
    {
        QString key;  // the pairing key of the request's address
        QByteArray body;
        QByteArray contentType;
    };

    // The body of the POST that loadRequest started, until its navigation is reported.
    std::optional<KnownBody> m_knownBody;
};
