#include "app/replayrequest.h"

#include "core/ansitext.h"
#include "core/trailscribeerror.h"

#include <QUrl>

QWebEngineHttpRequest replayRequest(const RequestRecord &record, const QByteArray &address)
{
    // A recorded address is the one the engine reported; one added by hand is read as the
    // address box reads it.
    const QString text = fromAnsi(address).trimmed();
    const QUrl url = text.contains(QLatin1String("://")) ? QUrl(text) : QUrl::fromUserInput(text);
    if (text.isEmpty() || !url.isValid() || url.isRelative())
        throw TrailscribeError(QStringLiteral("The address is not valid"));
    QWebEngineHttpRequest request(url);
    if (record.method == "POST") {
        request.setMethod(QWebEngineHttpRequest::Post);
        request.setPostData(record.body);
        if (!record.contentType.isEmpty())
            request.setHeader(QByteArrayLiteral("Content-Type"), record.contentType);
    }
    return request;
}
