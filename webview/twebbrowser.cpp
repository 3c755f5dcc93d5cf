#include "webview/twebbrowser.h"

#include "common/errorreport.h"
#include "common/trailscribeerror.h"
#include "webview/webpage.h"

#include <QWebEngineHistory>

TWebBrowser::TWebBrowser(QWidget *parent) : QWebEngineView(parent), m_page(new WebPage(this))
{
    setPage(m_page);
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString &url) { fireStatusTextChange(url); });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        fireStatusTextChange(QStringLiteral("Opening page ") + m_page->requestedUrl().toString());
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        fireStatusTextChange(ok ? QStringLiteral("Done") : QStringLiteral("The page could not be loaded"));
    });
}

TWebBrowser::~TWebBrowser()
{
    // The page must go before the view's render widget host.
    setPage(nullptr);
    delete m_page;
}

void TWebBrowser::Navigate(const QString &address)
{
    if (address.trimmed().isEmpty())
        throw TrailscribeError(QStringLiteral("The address is empty"));
    // An address that names its scheme is taken as it stands; anything else is completed as a
    // browser's address bar does ("example.com" -> "http://example.com").
    const QString trimmed = address.trimmed();
    const QUrl url = trimmed.contains(QLatin1String("://")) ? QUrl(trimmed) : QUrl::fromUserInput(trimmed);
    if (!url.isValid() || url.isEmpty())
        throw TrailscribeError(QStringLiteral("The address is not valid"));
    load(url);
}

void TWebBrowser::GoBack()
{
    if (!history()->canGoBack())
        throw TrailscribeError(QStringLiteral("There is no page to go back to"));
    back();
}

void TWebBrowser::GoForward()
{
    if (!history()->canGoForward())
        throw TrailscribeError(QStringLiteral("There is no page to go forward to"));
    forward();
}

void TWebBrowser::Stop()
{
    stop();
}

QString TWebBrowser::LocationURL() const
{
    return url().toString(QUrl::FullyEncoded);
}

QWebEnginePage *TWebBrowser::Application() const
{
    return m_page;
}

void TWebBrowser::fireBeforeNavigate2(const QString &url, const PostDataRef &postData)
{
    if (OnBeforeNavigate2)
        reportErrors([&] { OnBeforeNavigate2(this, url, postData); });
}

QWebEnginePage *TWebBrowser::fireNewWindow2()
{
    QWebEnginePage *target = nullptr;
    bool cancel = false;
    if (OnNewWindow2)
        reportErrors([&] { OnNewWindow2(this, &target, &cancel); });
    return cancel ? nullptr : target;
}

void TWebBrowser::fireStatusTextChange(const QString &text)
{
    if (OnStatusTextChange)
        reportErrors([&] { OnStatusTextChange(this, text); });
}
