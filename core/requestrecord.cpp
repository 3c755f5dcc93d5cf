#include "core/requestrecord.h"

#include <QStringList>

QString windowName(RequestWindow window)
{
    switch (window) {
    case RequestWindow::Main: return QStringLiteral("main");
    case RequestWindow::External: return QStringLiteral("external");
    case RequestWindow::Unknown: break;
    }
    return {};
}

QString frameName(RequestFrame frame)
{
    return frame == RequestFrame::Frame ? QStringLiteral("frame") : QStringLiteral("top-level");
}

QByteArray multipartContentType(const QByteArray &body)
{
    // "--" boundary CRLF ... CRLF "--" boundary "--" CRLF; a form without entries sends only
    // the closing line.
    if (!body.startsWith("--") || !body.endsWith("--\r\n"))
        return {};
    const qsizetype lineEnd = body.indexOf("\r\n");
    QByteArray boundary = body.mid(2, lineEnd - 2);
    if (lineEnd + 2 == body.size())
        boundary.chop(2);
    else if (!body.endsWith("\r\n--" + boundary + "--\r\n"))
        return {};
    if (boundary.isEmpty() || boundary.size() > 70)
        return {};
    for (char c : boundary)
        if (c <= ' ' || c > '~')
            return {};
    return "multipart/form-data; boundary=" + boundary;
}

QByteArray bodyContentType(const RequestRecord &request)
{
    return request.contentType.isEmpty() ? multipartContentType(request.body) : request.contentType;
}

QString postDataTip(const RequestRecord &request)
{
    QStringList parts;
    if (!request.doubt.isEmpty())
        parts.append(request.doubt);
    if (request.boundaryRemade)
        parts.append(remadeBoundaryNote());
    return parts.join(QLatin1Char('\n'));
}

QString requestSummary(const RequestRecord &request)
{
    if (request.isEmpty())
        return {};
    static const QString kSeparator = QStringLiteral(" \u00B7 ");
    QStringList parts{QString::fromLatin1(request.method)};
    if (request.recorded.isValid())
        parts << request.recorded.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (request.window != RequestWindow::Unknown)
        parts << windowName(request.window) + QStringLiteral(" window");
    parts << frameName(request.frame);
    return parts.join(kSeparator);
}
