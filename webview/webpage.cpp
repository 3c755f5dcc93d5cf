#include "webview/webpage.h"

#include "common/errorreport.h"
#include "webview/bodycapture.h"
#include "webview/pagedialogs.h"
#include "webview/requestinterceptor.h"
#include "webview/webprofile.h"

#include <QWebEngineView>

WebPage::WebPage(QObject *parent) : QWebEnginePage(trailscribeProfile(), parent)
{
    setUrlRequestInterceptor(new RequestInterceptor(this));
}

// The overrides are called by the engine: nothing may leave them by an exception (see fromEngine).
bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    reportErrors([&] { announceNavigation(url, type, isMainFrame); });
    return true;
}

void WebPage::announceNavigation(const QUrl &url, NavigationType type, bool isMainFrame)
{
    auto postData = PostDataRef::create();
    postData->setInFrame(!isMainFrame);
    BodyCapture *capture = BodyCapture::forProfile(profile());
    // The first navigation of the page after loadRequest is the one it started; any other takes
    // its place, and the known body is dropped rather than given to the wrong request.
    std::optional<KnownBody> known;
    if (isMainFrame && type != NavigationTypeRedirect)
        known.swap(m_knownBody);
    if (known && known->key == BodyCapture::pairingKey(url)) {
        postData->deliver(known->body, {}, known->contentType, BodySource::Program);
        capture->knownNavigation(this, url, postData);
    } else {
        capture->navigationAccepted(this, url, type == NavigationTypeRedirect, postData);
    }
    const QString address = url.toString(QUrl::FullyEncoded);
    emit navigationStarting(address, postData);
}

void WebPage::loadRequest(const QWebEngineHttpRequest &request)
{
    m_knownBody.reset();
    if (request.method() == QWebEngineHttpRequest::Post)
        m_knownBody = KnownBody{BodyCapture::pairingKey(request.url()), request.postData(),
                                request.header(QByteArrayLiteral("Content-Type"))};
    load(request);
}

QWebEnginePage *WebPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type);
    QWebEnginePage *target = nullptr;
    reportErrors([&] { emit newWindowAsked(&target); });
    return target;
}

// Messages of our capture script are consumed; those of page scripts are ignored.
void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                       int lineNumber, const QString &sourceID)
{
    Q_UNUSED(level);
    Q_UNUSED(lineNumber);
    Q_UNUSED(sourceID);
    reportErrors([&] { BodyCapture::forProfile(profile())->handleConsoleMessage(message); });
}

void WebPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    if (QWidget *view = QWebEngineView::forPage(this))
        reportErrors([&] { showPageAlert(view, securityOrigin, msg); });
}

bool WebPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    bool confirmed = false;
    if (QWidget *view = QWebEngineView::forPage(this))
        reportErrors([&] { confirmed = askPageConfirm(view, securityOrigin, msg); });
    return confirmed;
}

bool WebPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                               QString *result)
{
    bool answered = false;
    if (QWidget *view = QWebEngineView::forPage(this))
        reportErrors([&] { answered = askPagePrompt(view, securityOrigin, msg, defaultValue, result); });
    return answered;
}

QStringList WebPage::chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                                 const QStringList &acceptedMimeTypes)
{
    Q_UNUSED(acceptedMimeTypes);
    QStringList files;
    if (QWidget *view = QWebEngineView::forPage(this))
        reportErrors([&] { files = choosePageFiles(view, mode, oldFiles); });
    return files;
}
