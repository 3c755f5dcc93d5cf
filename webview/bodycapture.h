#pragma once

#include "webview/postdata.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>

class FormCapture;
class QWebEngineProfile;

// The request bodies of form posts, which the engine does not hand out. A script of ours in
// every frame reports each form submission that posts (through console messages carrying a
// secret of this run, so page scripts cannot forge one); the body is encoded here as the engine
// encodes it. A page reports each navigation when it is accepted and again when its request
// starts, with its method; a POST navigation takes the oldest capture made for its address,
// and its PostData gets the body as soon as both are known, in whichever order they come. A
// 307/308 redirect's POST gets the body of the POST it answers.
//
// Certain captures come first: a submission with a submit event, or one whose address and
// entries a navigation of the engine confirmed. Any other (a form.submit() that no navigation
// confirmed, which a page's own "new FormData(form)" looks just like) is taken only when no
// certain one comes, and its body is delivered with a doubt. A POST navigation for which no
// capture comes at all gets an empty body with a doubt.
// One per profile, shared by every page of it: a form may post into another page's frame or
// into a new window.
class BodyCapture : public QObject
{
    Q_OBJECT
public:
    // The profile's capture, made (and its script installed into the profile) on first use.
    static BodyCapture *forProfile(QWebEngineProfile *profile);

    // A console message of a page: true when it came from our script (it is then consumed).
    // Any other message, however it looks, changes nothing.
    bool handleConsoleMessage(const QString &message);

    // Called from acceptNavigationRequest, before the navigation is reported.
    void navigationAccepted(QObject *page, const QUrl &url, bool isRedirect, const PostDataRef &postData);
    // Instead of navigationAccepted, for a POST navigation whose body the program gave itself
    // and delivered already: it takes no capture, and a 307/308 redirect of it gets its body.
    void knownNavigation(QObject *page, const QUrl &url, const PostDataRef &postData);
    // Called when a navigation's request starts (a frame's or the page's), with its method: by
    // the profile's interceptor (page null) and by the page's, for the same request. The engine
    // does not call the page's for the first load of a pop-up; the profile's is called for
    // every request, but cannot tell the page. Engines that tell them give the request's
    // Content-Type (Qt 6.5 on) and, for a body that could be read safely, its bytes (Qt 6.7 on):
    // those bytes are the body, and the Content-Type's boundary is the multipart body's.
    void navigationRequested(QObject *page, const QUrl &url, const QByteArray &method, bool isRedirect,
                             const QByteArray &contentType = {},
                             const std::optional<QByteArray> &networkBody = std::nullopt);

    // How long a capture, or a POST navigation still waiting for its capture, is kept.
    void setLifetime(int ms) { m_lifetimeMs = ms; }

    // The doubts delivered with a body.
    static const QString kUnconfirmedDoubt;
    static const QString kMissingDoubt;
    static const QString kStaleDoubt;
    // Captures that no navigation took yet; certain ones only, or with the uncertain ones too;
    // all of them, or those for one address.
    int pendingCaptureCount(bool withUncertain = false, const QUrl &action = {}) const;

    static QString pairingKey(const QUrl &url);

    // Bodies read from the network layer that differed from the capture of their submission:
    // each is a fault of our encoder, and the network's bytes were recorded.
    int encodingDifferences() const { return m_encodingDifferences; }

private:
    struct Accepted { QString key; bool isRedirect; PostDataRef postData; qint64 at; bool known = false; };
    struct Waiter { QString key; PostDataRef postData; qint64 at; qint64 uncertainFrom; QByteArray contentType; };
    // Pages are known by a serial number, never by their address, which a later page may reuse.
    struct Request {
        quint64 page;
        QString key;
        QByteArray method;
        bool isRedirect;
        QByteArray contentType;
        std::optional<QByteArray> networkBody;
    };
    // A body taken from the network layer before the capture of its submission came.
    struct NetworkClaim { QString key; QByteArray body; qint64 at; };
    struct Confirmation { QString key; QString signature; qint64 at; };
    struct PageState {
        QList<Accepted> accepted;
        PostDataRef lastPost;
        qint64 lastPostAt = 0;
        // A page closed with navigations still waiting for their requests (a pop-up the next one
        // replaced): the requests may yet come, and their rows get their bodies.
        bool closed = false;
    };

    explicit BodyCapture(QWebEngineProfile *profile);
    void installScript(QWebEngineProfile *profile);
    void accept(QObject *page, const QUrl &url, bool isRedirect, const PostDataRef &postData, bool known);
    quint64 pageId(QObject *page);
    void onSubmission(const QString &json);
    void onConfirmation(const QString &json);
    void onChunk(const QString &payload);
    void onEnd(const QString &id);
    void onAbort(const QString &id);
    void finish(const std::shared_ptr<FormCapture> &capture);
    void bind(const std::shared_ptr<FormCapture> &capture, const PostDataRef &postData, const QByteArray &contentType);
    void takeNetworkBody(const PostDataRef &postData, const QString &key, const QByteArray &body,
                         const QByteArray &contentType);
    void resolveRequests();
    void resolveWaiters();
    void requestStarted(quint64 page, const Request &request);
    void prune();
    // Appends to one of the queues that prune() empties, keeping it bounded.
    template <typename T>
    void enqueue(QList<T> &queue, T item);
    qint64 now() const { return m_clock.elapsed(); }

    QString m_prefix;  // the secret and a space
    QElapsedTimer m_clock;
    QTimer m_pruneTimer;
    int m_lifetimeMs = 15000;
    QHash<QString, std::shared_ptr<FormCapture>> m_inProgress;  // by capture id, while files arrive
    QList<std::shared_ptr<FormCapture>> m_unclaimed;            // oldest first
    QList<Waiter> m_waiters;                                // oldest first
    QHash<QObject *, quint64> m_pageIds;  // pages alive now
    quint64 m_lastPageId = 0;
    QHash<quint64, PageState> m_pages;
    QList<Request> m_requests;  // reported by the interceptors, not yet matched to a page
    QList<Confirmation> m_confirmations;  // navigations with form data, no capture matched yet
    QList<NetworkClaim> m_networkClaims;
    // Requests of the profile's that came before any page accepted their navigation (a pop-up's
    // first load, on some engines): the page that accepts one soon after takes it.
    struct Orphan { Request request; qint64 at; };
    QList<Orphan> m_orphans;
    int m_encodingDifferences = 0;
};
