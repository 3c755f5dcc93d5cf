#include "webview/twebbrowser.h"

#include "core/trailscribeerror.h"
#include "webview/authenticationdialog.h"
#include "webview/downloads.h"
#include "webview/engineedge.h"
#include "webview/pagefailures.h"
#include "webview/webpage.h"

#include <QAuthenticator>
#include <QShortcut>
#include <QWebEngineCertificateError>
#include <QWebEngineHistory>

TWebBrowser::TWebBrowser(QWidget *parent) : QWebEngineView(parent), m_page(new WebPage(this))
{
    setPage(m_page);
    // The page's own events are relayed from its guarded calls; its signals come from the
    // engine and are guarded here.
    connect(m_page, &WebPage::navigationStarting, this,
            [this](const QString &url, const PostDataRef &postData) { emit BeforeNavigate2(this, url, postData); });
    connect(
        m_page, &WebPage::newWindowAsked, this,
        [this](QWebEnginePage **target) {
            QWebEnginePage *chosen = nullptr;
            bool cancel = false;
            emit NewWindow2(this, &chosen, &cancel);
            *target = cancel ? nullptr : chosen;
        },
        Qt::DirectConnection);
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, fromEngine([this] { emit WindowClosing(this); }));
    connect(m_page, &QWebEnginePage::linkHovered, this, fromEngine([this](const QString &url) { setStatusText(url); }));
    connect(m_page, &QWebEnginePage::loadStarted, this, fromEngine([this] {
        m_failure.clear();
        setLoading(true);
        setStatusText(QStringLiteral("Opening page ") + m_page->requestedUrl().toString());
    }));
    connect(m_page, &QWebEnginePage::loadFinished, this, fromEngine([this](bool ok) {
        setLoading(false);
        if (ok)
            setStatusText(QStringLiteral("Done"));
        else
            setStatusText(m_failure.isEmpty() ? QStringLiteral("The page could not be loaded") : m_failure);
    }));

    // The page stays as it was in the list and in the history; a reload or Go starts a new
    // renderer process.
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            fromEngine([this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                setLoading(false);
                m_failure = renderProcessEndText(status, exitCode);
                setStatusText(m_failure);
            }));
    // The engine's error page stays: the certificate is refused.
    connect(m_page, &QWebEnginePage::certificateError, this, fromEngine([this](const QWebEngineCertificateError &error) {
        QWebEngineCertificateError refused = error;
        refused.rejectCertificate();
        m_failure = certificateErrorText(error.url(), error.description());
        setStatusText(m_failure);
    }));
    connect(m_page, &QWebEnginePage::authenticationRequired, this,
            fromEngine([this](const QUrl &url, QAuthenticator *auth) {
                AuthenticationDialog::ask(serverAuthenticationMessage(url, auth->realm()), auth, this);
            }));
    connect(m_page, &QWebEnginePage::proxyAuthenticationRequired, this,
            fromEngine([this](const QUrl &, QAuthenticator *auth, const QString &proxyHost) {
                AuthenticationDialog::ask(proxyAuthenticationMessage(proxyHost, auth->realm()), auth, this);
            }));

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

bool TWebBrowser::GoBack()
{
    if (!history()->canGoBack())
        return false;
    back();
    return true;
}

bool TWebBrowser::GoForward()
{
    if (!history()->canGoForward())
        return false;
    forward();
    return true;
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

void TWebBrowser::setStatusText(const QString &text)
{
    emit StatusTextChange(this, text);
}
