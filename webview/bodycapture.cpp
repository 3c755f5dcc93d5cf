#include "webview/bodycapture.h"

#include "webview/formcapture.h"
#include "webview/requestinterceptor.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <algorithm>
#include <limits>

static void initCaptureResources()
{
    Q_INIT_RESOURCE(bodycapture);
}

namespace {
Q_LOGGING_CATEGORY(lcCapture, "trailscribe.capture", QtWarningMsg)

constexpr qint64 kAcceptedLifetimeMs = 5000;
// How long a request no page accepted yet waits for the page that will.
constexpr qint64 kOrphanLifetimeMs = 2000;
constexpr int kMaxQueued = 2048;
// How long a POST navigation waits for a certain capture before it takes an uncertain one: the
// script reports a submission in the task after it, which may come after the request started.
constexpr qint64 kUncertainWaitMs = 400;
// How long it waits for any capture before it is given up as having none.
constexpr qint64 kMissingWaitMs = 3000;
// A submission's request starts within moments of its capture. One complete for longer than this
// when a request takes it may have been left over from an earlier submission to the address.
constexpr qint64 kStaleCaptureMs = 2000;
// How long a navigation's confirmation waits for the uncertain capture it confirms.
constexpr qint64 kConfirmationLifetimeMs = 2000;
// How long a body read from the network waits for the capture of its submission.
constexpr qint64 kNetworkClaimLifetimeMs = 3000;

QString randomSecret()
{
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), 4);
    return QString::fromLatin1(bytes.toHex());
}
} // namespace

const QString BodyCapture::kUnconfirmedDoubt = QStringLiteral(
    "Not certain: a script sent this form with submit(), and nothing the engine reports confirms these "
    "entries; form data a page builds for the same address looks the same.");
const QString BodyCapture::kMissingDoubt = QStringLiteral(
    "No body captured: the form was sent from a document the recorder could not watch.");
const QString BodyCapture::kStaleDoubt = QStringLiteral(
    "Not certain: this body was captured well before its request went out; it may be an earlier "
    "submission's to the same address.");

template <typename T>
void BodyCapture::enqueue(QList<T> &queue, T item)
{
    queue.append(std::move(item));
    if (queue.size() > kMaxQueued)
        queue.removeFirst();
    if (!m_pruneTimer.isActive())
        m_pruneTimer.start();
}

BodyCapture *BodyCapture::forProfile(QWebEngineProfile *profile)
{
    if (auto *existing = profile->findChild<BodyCapture *>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new BodyCapture(profile);
}

BodyCapture::BodyCapture(QWebEngineProfile *profile) : QObject(profile)
{
    m_clock.start();
    m_prefix = randomSecret() + QLatin1Char(' ');
    installScript(profile);
    profile->setUrlRequestInterceptor(new RequestInterceptor(profile, this));
    m_pruneTimer.setInterval(1000);
    connect(&m_pruneTimer, &QTimer::timeout, this, &BodyCapture::prune);
}

void BodyCapture::installScript(QWebEngineProfile *profile)
{
    initCaptureResources();
    QFile file(QStringLiteral(":/trailscribe/webview/bodycapture.js"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The body capture script is missing from the resources");
    QString source = QString::fromUtf8(file.readAll());
    source.replace(QStringLiteral("%SECRET%"), m_prefix.trimmed());

    QWebEngineScript script;
    script.setName(QStringLiteral("trailscribe-body-capture"));
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    profile->scripts()->insert(script);
}

QString BodyCapture::pairingKey(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

bool BodyCapture::handleConsoleMessage(const QString &message)
{
    if (!message.startsWith(m_prefix))
        return false;
    const QStringView rest = QStringView(message).mid(m_prefix.size());
    if (rest.size() < 2 || rest.at(1) != u' ')
        return true;
    const QString payload = rest.mid(2).toString();
    switch (rest.at(0).unicode()) {
    case 'S': onSubmission(payload); break;
    case 'N': onConfirmation(payload); break;
    case 'C': onChunk(payload); break;
    case 'E': onEnd(payload); break;
    case 'X': onAbort(payload); break;
    default: break;
    }
    if (!m_pruneTimer.isActive())
        m_pruneTimer.start();
    return true;
}

void BodyCapture::onSubmission(const QString &json)
{
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    const QString id = o.value(QLatin1String("id")).toString();
    const QUrl action(o.value(QLatin1String("action")).toString());
    if (id.isEmpty() || !action.isValid() || m_inProgress.contains(id))
        return;
    const auto c = FormCapture::fromReport(o, id, pairingKey(action), now());
    if (!c)
        return;
    // The form was submitted for certain: an uncertain report of it still waiting was its entry
    // list built by a script (ours after document.open(), or the page's), not a submission, even
    // where a navigation of this submission seemed to confirm it.
    if (!c->weak && !c->form.isEmpty())
        m_unclaimed.removeIf([&](const std::shared_ptr<FormCapture> &other) { return other->reportedWeak && other->form == c->form; });
    if (c->weak) {
        for (qsizetype i = 0; i < m_confirmations.size(); ++i) {
            if (m_confirmations.at(i).key == c->key && m_confirmations.at(i).signature == c->signature
                && now() - m_confirmations.at(i).at <= kConfirmationLifetimeMs) {
                m_confirmations.removeAt(i);
                c->weak = false;
                break;
            }
        }
    }

    // A POST navigation that came first waits for this capture; for an uncertain one, only once
    // it has waited long enough for a certain one.
    for (qsizetype i = 0; i < m_waiters.size(); ++i) {
        const Waiter &w = m_waiters.at(i);
        if (w.key == c->key && c->fits(w.contentType) && (!c->weak || now() >= w.uncertainFrom)) {
            c->claimantContentType = w.contentType;
            c->claimant = m_waiters.takeAt(i).postData;
            break;
        }
    }
    if (!c->claimant)
        m_unclaimed.append(c);
    if (c->expectsFiles())
        m_inProgress.insert(id, c);
    else
        finish(c);
}

// A navigation of the engine carried form data with this address and these entries: the
// matching capture is the body it sends, whichever window reported it.
void BodyCapture::onConfirmation(const QString &json)
{
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    const QUrl action(o.value(QLatin1String("action")).toString());
    const QString signature = o.value(QLatin1String("signature")).toString();
    if (!action.isValid())
        return;
    const QString key = pairingKey(action);
    for (const auto &c : std::as_const(m_unclaimed)) {
        if (c->weak && c->key == key && c->signature == signature) {
            c->weak = false;
            resolveWaiters();
            return;
        }
    }
    enqueue(m_confirmations, Confirmation{key, signature, now()});
}

void BodyCapture::onChunk(const QString &payload)
{
    const qsizetype s1 = payload.indexOf(QLatin1Char(' '));
    const qsizetype s2 = s1 < 0 ? -1 : payload.indexOf(QLatin1Char(' '), s1 + 1);
    if (s2 < 0)
        return;
    const auto c = m_inProgress.value(payload.left(s1));
    if (!c)
        return;
    bool ok = false;
    const int index = QStringView(payload).mid(s1 + 1, s2 - s1 - 1).toInt(&ok);
    if (!ok || !c->appendFileBytes(index, QByteArray::fromBase64(QStringView(payload).mid(s2 + 1).toLatin1()))) {
        onAbort(c->id);
        return;
    }
    c->lastActivity = now();
}

void BodyCapture::onEnd(const QString &id)
{
    const auto c = m_inProgress.value(id);
    if (!c)
        return;
    if (!c->filesComplete()) {
        onAbort(id);
        return;
    }
    m_inProgress.remove(id);
    finish(c);
}

// The files could not be read: no body is better than a wrong one.
void BodyCapture::onAbort(const QString &id)
{
    const auto c = m_inProgress.take(id);
    if (c)
        m_unclaimed.removeOne(c);
}

void BodyCapture::finish(const std::shared_ptr<FormCapture> &c)
{
    c->complete = true;
    c->completedAt = now();
    if (c->claimant) {
        const PostDataRef target = c->claimant;
        c->claimant.reset();
        m_unclaimed.removeOne(c);
        c->deliverTo(*target, c->claimantContentType, c->weak ? kUnconfirmedDoubt : QString());
        return;
    }
    // Its request went out first, and the network layer gave its body already.
    if (c->enctype != FormEnctype::Multipart) {
        const QByteArray body = c->plainBody();
        for (qsizetype i = 0; i < m_networkClaims.size(); ++i) {
            if (m_networkClaims.at(i).key == c->key && m_networkClaims.at(i).body == body) {
                m_networkClaims.removeAt(i);
                m_unclaimed.removeOne(c);
                return;
            }
        }
    }
}

void BodyCapture::bind(const std::shared_ptr<FormCapture> &c, const PostDataRef &postData, const QByteArray &contentType)
{
    if (c->complete) {
        const bool stale = now() - c->completedAt > kStaleCaptureMs;
        c->deliverTo(*postData, contentType,
                     c->weak ? kUnconfirmedDoubt : stale ? kStaleDoubt : QString());
    } else {
        c->claimant = postData;
        c->claimantContentType = contentType;
    }
}

// The network layer's bytes are the body. The capture of the same submission is spent with it:
// the one that encodes to these very bytes, else the one that would have been taken, whose bytes
// then differ from the wire's.
void BodyCapture::takeNetworkBody(const PostDataRef &postData, const QString &key, const QByteArray &body,
                                  const QByteArray &contentType)
{
    postData->deliver(body, {}, contentType, BodySource::Network);
    qsizetype match = -1;
    qsizetype candidate = -1;
    for (qsizetype i = 0; i < m_unclaimed.size() && match < 0; ++i) {
        const FormCapture &c = *m_unclaimed.at(i);
        if (c.key != key || !c.complete || c.enctype == FormEnctype::Multipart || !c.fits(contentType))
            continue;
        if (c.plainBody() == body)
            match = i;
        else if (candidate < 0 && !c.weak && now() - c.completedAt <= kStaleCaptureMs)
            candidate = i;
    }
    if (match >= 0) {
        m_unclaimed.removeAt(match);
    } else if (candidate >= 0) {
        ++m_encodingDifferences;
        qWarning("Trailscribe: the body encoded from a form submission to %s differs from the one the "
                 "network layer sent; the network's bytes were recorded", qPrintable(key));
        m_unclaimed.removeAt(candidate);
    } else {
        enqueue(m_networkClaims, NetworkClaim{key, body, now()});
    }
}

quint64 BodyCapture::pageId(QObject *page)
{
    auto it = m_pageIds.find(page);
    if (it != m_pageIds.end())
        return *it;
    const quint64 id = ++m_lastPageId;
    m_pageIds.insert(page, id);
    connect(page, &QObject::destroyed, this, [this, page, id] {
        m_pageIds.remove(page);
        const auto state = m_pages.find(id);
        if (state != m_pages.end() && !state->accepted.isEmpty())
            state->closed = true;
        else
            m_pages.remove(id);
    });
    return id;
}

// Only these schemes send a request body; the others (data:, about:, qrc:, ...) need no pairing,
// and a long data: address need not be copied for it.
static bool sendsBodies(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

void BodyCapture::navigationAccepted(QObject *page, const QUrl &url, bool isRedirect, const PostDataRef &postData)
{
    accept(page, url, isRedirect, postData, false);
}

void BodyCapture::knownNavigation(QObject *page, const QUrl &url, const PostDataRef &postData)
{
    accept(page, url, false, postData, true);
}

void BodyCapture::accept(QObject *page, const QUrl &url, bool isRedirect, const PostDataRef &postData, bool known)
{
    if (!sendsBodies(url))
        return;
    const quint64 id = pageId(page);
    PageState &state = m_pages[id];
    const QString key = pairingKey(url);
    qCDebug(lcCapture) << "accepted" << id << key << (known ? "known" : "");
    enqueue(state.accepted, Accepted{key, isRedirect, postData, now(), known});
    for (qsizetype i = 0; i < m_orphans.size(); ++i) {
        if (m_orphans.at(i).request.key == key && now() - m_orphans.at(i).at <= kOrphanLifetimeMs) {
            const Request request = m_orphans.takeAt(i).request;
            requestStarted(id, request);
            break;
        }
    }
}

void BodyCapture::navigationRequested(QObject *page, const QUrl &url, const QByteArray &method, bool isRedirect,
                                      const QByteArray &contentType, const std::optional<QByteArray> &networkBody)
{
    if (!sendsBodies(url))
        return;
    if (m_requests.isEmpty())
        QTimer::singleShot(0, this, &BodyCapture::resolveRequests);
    m_requests.append({page ? pageId(page) : 0, pairingKey(url), method, isRedirect, contentType, networkBody});
}

// The two interceptors report one request back to back: a report of the profile's takes the page
// from the page's report of the same address; without one, the page that accepted a navigation
// to that address first.
void BodyCapture::resolveRequests()
{
    QList<Request> requests;
    requests.swap(m_requests);
    for (qsizetype i = 0; i < requests.size(); ++i) {
        Request r = requests.at(i);
        // What one of the pair knows, the other may not: only the profile's reads the body.
        const auto merge = [&r](const Request &other) {
            if (r.contentType.isEmpty())
                r.contentType = other.contentType;
            if (!r.networkBody)
                r.networkBody = other.networkBody;
        };
        if (!r.page) {
            for (qsizetype j = i + 1; j < requests.size(); ++j) {
                if (requests.at(j).page && requests.at(j).key == r.key) {
                    const Request other = requests.takeAt(j);
                    r.page = other.page;
                    merge(other);
                    break;
                }
            }
        } else {
            for (qsizetype j = i + 1; j < requests.size(); ++j) {
                if (!requests.at(j).page && requests.at(j).key == r.key) {
                    merge(requests.takeAt(j));
                    break;
                }
            }
        }
        if (!r.page) {
            qint64 oldest = std::numeric_limits<qint64>::max();
            for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
                for (const Accepted &a : it->accepted) {
                    if (a.key == r.key) {
                        if (a.at < oldest) {
                            oldest = a.at;
                            r.page = it.key();
                        }
                        break;
                    }
                }
            }
        }
        qCDebug(lcCapture) << "request" << r.page << r.key << r.method << r.contentType
                           << (r.networkBody ? r.networkBody->size() : -1);
        if (r.page) {
            requestStarted(r.page, r);
        } else if (r.method.compare("POST", Qt::CaseInsensitive) == 0) {
            enqueue(m_orphans, Orphan{r, now()});
        }
    }
}

void BodyCapture::requestStarted(quint64 page, const Request &request)
{
    const QString &key = request.key;
    auto pageIt = m_pages.find(page);
    if (pageIt == m_pages.end())
        return;
    PageState &state = *pageIt;
    qsizetype found = -1;
    for (qsizetype i = 0; i < state.accepted.size(); ++i) {
        if (state.accepted.at(i).key == key) {
            found = i;
            break;
        }
    }
    if (found < 0)
        return;
    const Accepted accepted = state.accepted.takeAt(found);
    if (request.method.compare("POST", Qt::CaseInsensitive) != 0)
        return;
    const PostDataRef postData = accepted.postData;

    const PostDataRef previous = state.lastPost;
    const bool previousRecent = previous && now() - state.lastPostAt < m_lifetimeMs;
    state.lastPost = postData;
    state.lastPostAt = now();
    // Its body is the one the program sent, delivered already.
    if (accepted.known)
        return;
    if (request.networkBody) {
        takeNetworkBody(postData, key, *request.networkBody, request.contentType);
        return;
    }

    for (qsizetype i = 0; i < m_unclaimed.size(); ++i) {
        if (m_unclaimed.at(i)->key == key && !m_unclaimed.at(i)->weak && m_unclaimed.at(i)->fits(request.contentType)) {
            bind(m_unclaimed.takeAt(i), postData, request.contentType);
            return;
        }
    }
    // A 307 or 308 redirect sends the body of the request it answers once more.
    if ((request.isRedirect || accepted.isRedirect) && previousRecent) {
        if (previous->hasBody()) {
            postData->deliverFrom(*previous);
        } else {
            PostData *target = postData.data();
            PostData *source = previous.data();
            connect(source, &PostData::bodyReady, target, [target, source] { target->deliverFrom(*source); });
        }
        return;
    }
    enqueue(m_waiters, Waiter{key, postData, now(), now() + kUncertainWaitMs, request.contentType});
    QTimer::singleShot(kUncertainWaitMs + 10, this, &BodyCapture::resolveWaiters);
    QTimer::singleShot(kMissingWaitMs + 10, this, &BodyCapture::resolveWaiters);
}

// A capture confirmed meanwhile goes to the oldest navigation waiting for its address; one that
// waited long enough takes the oldest uncertain capture, and one that waited for any capture in
// vain gets an empty body that says so.
void BodyCapture::resolveWaiters()
{
    const qint64 t = now();
    for (qsizetype i = 0; i < m_waiters.size();) {
        const Waiter &w = m_waiters.at(i);
        qsizetype found = -1;
        for (qsizetype j = 0; j < m_unclaimed.size() && found < 0; ++j)
            if (m_unclaimed.at(j)->key == w.key && m_unclaimed.at(j)->fits(w.contentType)
                && (!m_unclaimed.at(j)->weak || t >= w.uncertainFrom))
                found = j;
        if (found >= 0) {
            const Waiter waiter = m_waiters.takeAt(i);
            bind(m_unclaimed.takeAt(found), waiter.postData, waiter.contentType);
        } else if (t - w.at >= kMissingWaitMs) {
            m_waiters.takeAt(i).postData->deliver({}, kMissingDoubt);
        } else {
            ++i;
        }
    }
}

int BodyCapture::pendingCaptureCount(bool withUncertain, const QUrl &action) const
{
    const QString key = action.isEmpty() ? QString() : pairingKey(action);
    return int(std::count_if(m_unclaimed.cbegin(), m_unclaimed.cend(), [&](const std::shared_ptr<FormCapture> &c) {
        return (withUncertain || !c->weak) && (key.isEmpty() || c->key == key);
    }));
}

void BodyCapture::prune()
{
    const qint64 t = now();
    m_unclaimed.removeIf([&](const std::shared_ptr<FormCapture> &c) { return t - c->at > m_lifetimeMs; });
    m_waiters.removeIf([&](const Waiter &w) { return t - w.at > m_lifetimeMs; });
    m_confirmations.removeIf([&](const Confirmation &c) { return t - c.at > kConfirmationLifetimeMs; });
    m_networkClaims.removeIf([&](const NetworkClaim &c) { return t - c.at > kNetworkClaimLifetimeMs; });
    m_orphans.removeIf([&](const Orphan &o) { return t - o.at > kOrphanLifetimeMs; });
    for (auto it = m_inProgress.begin(); it != m_inProgress.end();) {
        if (t - (*it)->lastActivity > m_lifetimeMs)
            it = m_inProgress.erase(it);
        else
            ++it;
    }
    bool idle = m_unclaimed.isEmpty() && m_waiters.isEmpty() && m_inProgress.isEmpty() && m_confirmations.isEmpty()
        && m_networkClaims.isEmpty() && m_orphans.isEmpty();
    for (auto it = m_pages.begin(); it != m_pages.end();) {
        PageState &state = *it;
        state.accepted.removeIf([&](const Accepted &a) { return t - a.at > kAcceptedLifetimeMs; });
        if (state.lastPost && t - state.lastPostAt > m_lifetimeMs)
            state.lastPost.reset();
        if (state.closed && state.accepted.isEmpty()) {
            it = m_pages.erase(it);
            continue;
        }
        idle = idle && state.accepted.isEmpty() && !state.lastPost;
        ++it;
    }
    if (idle)
        m_pruneTimer.stop();
}
