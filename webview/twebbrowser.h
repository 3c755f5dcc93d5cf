#pragma once

#include "webview/postdata.h"

#include <QString>
#include <QUrl>
#include <QWebEngineView>
#include <functional>

class QWebEnginePage;
class WebPage;

// The web view of a window: navigation, history, status texts and the events the program
// records from. An error a connected handler raises is caught and shown by the general error
// report, and the view goes on.
class TWebBrowser : public QWebEngineView
{
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget *parent = nullptr);
    ~TWebBrowser() override;

    // Starts loading the address, made a URL as a browser's address bar does. An empty or
    // unusable address raises TrailscribeError with a message.
    void Navigate(const QString &address);
    // Raise TrailscribeError when the history cannot move.
    void GoBack();
    void GoForward();
    void Stop();
    QString LocationURL() const;
    // The view's page: handed back to the engine as a new window's target.
    QWebEnginePage *Application() const;

    WebPage *webPage() const { return m_page; }

    // A page asks for a new window: set *ppDisp to the page that is to receive it, or *cancel.
    // The engine waits for the answer, so this is a handler called at once, not a signal.
    std::function<void(TWebBrowser *sender, QWebEnginePage **ppDisp, bool *cancel)> OnNewWindow2;

signals:
    // Before every navigation of the page and of each of its frames; every one goes ahead.
    void BeforeNavigate2(TWebBrowser *sender, const QString &url, const PostDataRef &postData);
    void StatusTextChange(TWebBrowser *sender, const QString &text);

private:
    void setStatusText(const QString &text);

    WebPage *m_page = nullptr;
};
