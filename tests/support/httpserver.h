#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for end-to-end tests. It serves fixture pages from a
// route table (or a handler) and keeps the exact bytes of every request it receives. It serves
// from a thread of its own, so a test that sleeps between polls never holds back the engine;
// the handler, when set, runs on that thread.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QThread>
#include <QUrl>
#include <functional>

struct HttpRequest
{
    QByteArray method;
    QByteArray target;  // path with query, as sent
    QByteArray path;    // target without the query
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;    // exact bytes of the body
    QByteArray raw;     // the whole request as received

    QByteArray header(const QByteArray &name) const;  // case-insensitive; empty when absent
};

struct HttpResponse
{
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;  // extra headers, e.g. Location

    static HttpResponse html(const QByteArray &body, const QByteArray &charset = "utf-8");
    static HttpResponse redirect(int status, const QByteArray &location);
};

class HttpServer : public QObject
{
    Q_OBJECT
public:
    explicit HttpServer(QObject *parent = nullptr);
    ~HttpServer() override;

    bool listen();  // 127.0.0.1, an ephemeral port
    quint16 port() const;
    QUrl url(const QByteArray &target = "/") const;
    QString urlString(const QByteArray &target = "/") const;

    // Exact path (without query) -> response. The handler, when set, answers everything else.
    void route(const QByteArray &path, const HttpResponse &response);
    void setHandler(std::function<HttpResponse(const HttpRequest &)> handler);

    QList<HttpRequest> requests() const;
    QList<HttpRequest> requestsTo(const QByteArray &path) const;
    void clearRequests();

    // Spins the event loop until a request to path has arrived (or the time is up).
    bool waitForRequest(const QByteArray &path, int timeoutMs = 15000);

signals:
    // Emitted on the server's thread; connect with a queued connection to use it elsewhere.
    void requestReceived(const HttpRequest &request);

private:
    friend class HttpServerWorker;
    HttpResponse respond(const HttpRequest &request);

    QThread m_thread;
    class HttpServerWorker *m_worker = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QHash<QByteArray, HttpResponse> m_routes;
    std::function<HttpResponse(const HttpRequest &)> m_handler;
    QList<HttpRequest> m_requests;
};
