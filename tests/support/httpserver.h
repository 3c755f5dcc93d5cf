#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for end-to-end tests. It serves fixture pages from a
// route table (or a handler) and keeps the exact bytes of every request it receives.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
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

    bool listen();  // 127.0.0.1, an ephemeral port
    quint16 port() const;
    QUrl url(const QByteArray &target = "/") const;
    QString urlString(const QByteArray &target = "/") const;

    // Exact path (without query) -> response. The handler, when set, answers everything else.
    void route(const QByteArray &path, const HttpResponse &response);
    void setHandler(std::function<HttpResponse(const HttpRequest &)> handler);

    QList<HttpRequest> requests() const { return m_requests; }
    QList<HttpRequest> requestsTo(const QByteArray &path) const;
    void clearRequests() { m_requests.clear(); }

    // Spins the event loop until a request to path has arrived (or the time is up).
    bool waitForRequest(const QByteArray &path, int timeoutMs = 15000);

signals:
    void requestReceived(const HttpRequest &request);

private:
    void onNewConnection();
    void serve(class QTcpSocket *socket, const HttpRequest &request);

    QTcpServer m_server;
    QHash<QByteArray, HttpResponse> m_routes;
    std::function<HttpResponse(const HttpRequest &)> m_handler;
    QList<HttpRequest> m_requests;
};
