#include "webview/twebbrowser.h"

#include "common/errorreport.h"
#include "common/trailscribeerror.h"
#include "webview/webpage.h"

#include <QWebEngineHistory>

TWebBrowser::TWebBrowser(QWidget *parent) : QWebEngineView(parent), m_page(new WebPage(this))
{
    setPage(m_page);
    connect(m_page, &WebPage::navigationStarting, this,
            [this](const QString &url, const PostDataRef &postData) { emit BeforeNavigate2(this, url, postData); });
    m_page->setNewWindowHandler([this]() -> QWebEnginePage * {
        QWebEnginePage *target = nullptr;
        bool cancel = false;
        if (OnNewWindow2)
            OnNewWindow2(this, &target, &cancel);
        return cancel ? nullptr : target;
    });
    connect(m_page, &QWebEnginePage::linkHovered, this, &TWebBrowser::setStatusText);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        setStatusText(QStringLiteral("Opening page ") + m_page->requestedUrl().toString());
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        setStatusText(ok ? QStringLiteral("Done") : QStringLiteral("The page could not be loaded"));
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

// Called from the engine's signals: an error of a handler must not reach them.
void TWebBrowser::setStatusText(const QString &text)
{
    reportErrors([&] { emit StatusTextChange(this, text); });
}
