#include "tests/support/httpserver.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// Lives on the server's thread: accepts connections, parses requests, writes responses.
class HttpServerWorker : public QObject
{
public:
    explicit HttpServerWorker(HttpServer *owner) : m_owner(owner) {}

    quint16 listen()
    {
        m_server = new QTcpServer(this);
        QObject::connect(m_server, &QTcpServer::newConnection, this, [this] { onNewConnection(); });
        return m_server->listen(QHostAddress::LocalHost, 0) ? m_server->serverPort() : 0;
    }

private:
    void onNewConnection();

    HttpServer *m_owner;
    QTcpServer *m_server = nullptr;
};

QByteArray HttpRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

HttpResponse HttpResponse::html(const QByteArray &body, const QByteArray &charset)
{
    HttpResponse r;
    r.contentType = "text/html; charset=" + charset;
    r.body = body;
    return r;
}

HttpResponse HttpResponse::redirect(int status, const QByteArray &location)
{
    HttpResponse r;
    r.status = status;
    r.headers.append({"Location", location});
    return r;
}

HttpServer::HttpServer(QObject *parent) : QObject(parent)
{
    m_worker = new HttpServerWorker(this);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

HttpServer::~HttpServer()
{
    m_thread.quit();
    m_thread.wait();
}

bool HttpServer::listen()
{
    QMetaObject::invokeMethod(m_worker, [this] { return m_worker->listen(); }, Qt::BlockingQueuedConnection, &m_port);
    return m_port != 0;
}

quint16 HttpServer::port() const
{
    return m_port;
}

QUrl HttpServer::url(const QByteArray &target) const
{
    return QUrl(urlString(target));
}

QString HttpServer::urlString(const QByteArray &target) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port()) + QString::fromLatin1(target);
}

void HttpServer::route(const QByteArray &path, const HttpResponse &response)
{
    QMutexLocker lock(&m_mutex);
    m_routes.insert(path, response);
}

void HttpServer::setHandler(std::function<HttpResponse(const HttpRequest &)> handler)
{
    QMutexLocker lock(&m_mutex);
    m_handler = std::move(handler);
}

QList<HttpRequest> HttpServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

void HttpServer::clearRequests()
{
    QMutexLocker lock(&m_mutex);
    m_requests.clear();
}

QList<HttpRequest> HttpServer::requestsTo(const QByteArray &path) const
{
    QList<HttpRequest> out;
    for (const auto &r : requests())
        if (r.path == path)
            out.append(r);
    return out;
}

bool HttpServer::waitForRequest(const QByteArray &path, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (!requestsTo(path).isEmpty())
            return true;
        QTest::qWait(10);
    }
    return !requestsTo(path).isEmpty();
}

namespace {
// Parses one complete request from buffer; returns false while more bytes are needed.
bool parseRequest(const QByteArray &buffer, HttpRequest &out, qsizetype &consumed)
{
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    if (lines.isEmpty())
        return false;
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    HttpRequest r;
    r.method = requestLine.value(0);
    r.target = requestLine.value(1);
    const qsizetype q = r.target.indexOf('?');
    r.path = q < 0 ? r.target : r.target.left(q);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            r.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    qsizetype pos = headerEnd + 4;
    if (r.header("Transfer-Encoding").toLower().contains("chunked")) {
        QByteArray body;
        for (;;) {
            const qsizetype lineEnd = buffer.indexOf("\r\n", pos);
            if (lineEnd < 0)
                return false;
            bool ok = false;
            const qsizetype size = buffer.mid(pos, lineEnd - pos).split(';').first().trimmed().toLongLong(&ok, 16);
            if (!ok)
                return false;
            pos = lineEnd + 2;
            if (size == 0) {
                const qsizetype end = buffer.indexOf("\r\n", pos);
                if (end < 0)
                    return false;
                pos = end + 2;
                break;
            }
            if (buffer.size() < pos + size + 2)
                return false;
            body += buffer.mid(pos, size);
            pos += size + 2;
        }
        r.body = body;
    } else {
        const qsizetype length = r.header("Content-Length").toLongLong();
        if (buffer.size() < pos + length)
            return false;
        r.body = buffer.mid(pos, length);
        pos += length;
    }
    r.raw = buffer.left(pos);
    consumed = pos;
    out = r;
    return true;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 404: return "Not Found";
    default: return "Status";
    }
}
} // namespace

void HttpServerWorker::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        auto buffer = QSharedPointer<QByteArray>::create();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            HttpRequest request;
            qsizetype consumed = 0;
            while (parseRequest(*buffer, request, consumed)) {
                buffer->remove(0, consumed);
                {
                    QMutexLocker lock(&m_owner->m_mutex);
                    m_owner->m_requests.append(request);
                }
                emit m_owner->requestReceived(request);
                const HttpResponse response = m_owner->respond(request);
                QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                                 reasonPhrase(response.status) + "\r\n";
                out += "Content-Type: " + response.contentType + "\r\n";
                out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
                out += "Cache-Control: no-store\r\n";
                for (const auto &h : response.headers)
                    out += h.first + ": " + h.second + "\r\n";
                out += "\r\n";
                out += response.body;
                socket->write(out);
            }
        });
    }
}

HttpResponse HttpServer::respond(const HttpRequest &request)
{
    std::function<HttpResponse(const HttpRequest &)> handler;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_routes.constFind(request.path);
        if (it != m_routes.constEnd())
            return it.value();
        handler = m_handler;
    }
    if (handler)
        return handler(request);
    HttpResponse notFound;
    notFound.status = 404;
    notFound.contentType = "text/plain";
    notFound.body = "not found";
    return notFound;
}
