#include "httpserver.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTest>

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
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::onNewConnection);
}

bool HttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

quint16 HttpServer::port() const
{
    return m_server.serverPort();
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
    m_routes.insert(path, response);
}

void HttpServer::setHandler(std::function<HttpResponse(const HttpRequest &)> handler)
{
    m_handler = std::move(handler);
}

QList<HttpRequest> HttpServer::requestsTo(const QByteArray &path) const
{
    QList<HttpRequest> out;
    for (const auto &r : m_requests)
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

void HttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto buffer = QSharedPointer<QByteArray>::create();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            HttpRequest request;
            qsizetype consumed = 0;
            while (parseRequest(*buffer, request, consumed)) {
                buffer->remove(0, consumed);
                m_requests.append(request);
                emit requestReceived(request);
                serve(socket, request);
            }
        });
    }
}

void HttpServer::serve(QTcpSocket *socket, const HttpRequest &request)
{
    HttpResponse response;
    if (m_routes.contains(request.path))
        response = m_routes.value(request.path);
    else if (m_handler)
        response = m_handler(request);
    else {
        response.status = 404;
        response.contentType = "text/plain";
        response.body = "not found";
    }
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    out += "Content-Type: " + response.contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    out += "Cache-Control: no-store\r\n";
    for (const auto &h : response.headers)
        out += h.first + ": " + h.second + "\r\n";
    out += "\r\n";
    out += response.body;
    socket->write(out);
}
