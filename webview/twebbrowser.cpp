#include "webview/twebbrowser.h"

#include "common/errorreport.h"
#include "core/trailscribeerror.h"
#include "webview/authenticationdialog.h"
#include "webview/downloads.h"
#include "webview/pagefailures.h"
#include "webview/webpage.h"

#include <QAuthenticator>
#include <QShortcut>
#include <QWebEngineCertificateError>
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
        m_failure.clear();
        setLoading(true);
        setStatusText(QStringLiteral("Opening page ") + m_page->requestedUrl().toString());
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        setLoading(false);
        if (ok)
            setStatusText(QStringLiteral("Done"));
        else
            setStatusText(m_failure.isEmpty() ? QStringLiteral("The page could not be loaded") : m_failure);
    });

    // The page stays as it was in the list and in the history; a reload or Go starts a new
    // renderer process.
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                setLoading(false);
                m_failure = renderProcessEndText(status, exitCode);
                setStatusText(m_failure);
            });
    // The engine's error page stays: the certificate is refused.
    connect(m_page, &QWebEnginePage::certificateError, this, [this](const QWebEngineCertificateError &error) {
        QWebEngineCertificateError refused = error;
        refused.rejectCertificate();
        m_failure = certificateErrorText(error.url(), error.description());
        setStatusText(m_failure);
    });
    connect(m_page, &QWebEnginePage::authenticationRequired, this, [this](const QUrl &url, QAuthenticator *auth) {
        reportErrors([&] { AuthenticationDialog::ask(serverAuthenticationMessage(url, auth->realm()), auth, this); });
    });
    connect(m_page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &, QAuthenticator *auth, const QString &proxyHost) {
                reportErrors(
                    [&] { AuthenticationDialog::ask(proxyAuthenticationMessage(proxyHost, auth->realm()), auth, this); });
            });

    // Escape stops a load while the view has the focus; otherwise the page has the key.
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, [this] { Stop(); },
                              Qt::WidgetWithChildrenShortcut);
    m_stopKey->setEnabled(false);
}

void TWebBrowser::setLoading(bool loading)
{
    m_stopKey->setEnabled(loading);
}

void TWebBrowser::Download(QWebEngineDownloadRequest *request)
{
    saveDownload(request, this, [this](const QString &text) { setStatusText(text); });
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

void TWebBrowser::LoadRequest(const QWebEngineHttpRequest &request)
{
    m_page->loadRequest(request);
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
