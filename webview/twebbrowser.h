#pragma once

#include "webview/postdata.h"

#include <QString>
#include <QUrl>
#include <QWebEngineView>

class QShortcut;
class QWebEngineDownloadRequest;
class QWebEngineHttpRequest;
class QWebEnginePage;
class WebPage;

// The web view of a window: navigation, history, status texts and the events the program
// records from. The engine raises the events from its own code: an error a connected handler
// raises is shown by the general error report, and the view goes on.
//
// It also does what any browser does, the same in every window: asks for a user name and
// password when a server or proxy wants them, saves downloads where the user chooses, says in
// the status line when the page's renderer process has ended or a certificate was refused, and
// stops a load on Escape while it has the focus.
class TWebBrowser : public QWebEngineView
{
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget *parent = nullptr);
    ~TWebBrowser() override;

    // Starts loading the address, made a URL as a browser's address bar does. An empty or
    // unusable address raises TrailscribeError with a message.
    void Navigate(const QString &address);
    // Loads a request the program makes itself; a POST's navigation is reported with the
    // request's own body, certain.
    void LoadRequest(const QWebEngineHttpRequest &request);
    // False when the history cannot move.
    bool GoBack();
    bool GoForward();
    void Stop();
    QString LocationURL() const;
    // The view's page: handed back to the engine as a new window's target.
    QWebEnginePage *Application() const;

    WebPage *webPage() const { return m_page; }

    // A download the page asked for: asks where to save it, then reports its progress and end
    // in the status line.
    void Download(QWebEngineDownloadRequest *request);

signals:
    // Before every navigation of the page and of each of its frames; every one goes ahead.
    void BeforeNavigate2(TWebBrowser *sender, const QString &url, const PostDataRef &postData);
    void StatusTextChange(TWebBrowser *sender, const QString &text);
    // A page asks for a new window. The engine waits for the answer: connect with
    // Qt::DirectConnection and set *ppDisp to the page that is to receive it, or *cancel to
    // refuse it. Unanswered, the window is refused.
    void NewWindow2(TWebBrowser *sender, QWebEnginePage **ppDisp, bool *cancel);
    // The page closed its window by script (window.close()).
    void WindowClosing(TWebBrowser *sender);

private:
    void setStatusText(const QString &text);
    void setLoading(bool loading);

    WebPage *m_page = nullptr;
    QShortcut *m_stopKey = nullptr;
    // Why the current load failed, when the engine knows better than "could not be loaded".
    QString m_failure;
};
