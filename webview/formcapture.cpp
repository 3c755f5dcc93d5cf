#include "webview/formcapture.h"

#include <QJsonArray>

std::shared_ptr<FormCapture> FormCapture::fromReport(const QJsonObject &o, const QString &id, const QString &key,
                                                     qint64 at)
{
    auto c = std::make_shared<FormCapture>();
    c->id = id;
    c->key = key;
    c->enctype = parseFormEnctype(o.value(QLatin1String("enctype")).toString());
    c->charset = formSubmissionCharset(o.value(QLatin1String("acceptCharset")).toString(),
                                       o.value(QLatin1String("charset")).toString());
    c->at = c->lastActivity = at;
    c->weak = c->reportedWeak = o.value(QLatin1String("weak")).toBool();
    c->signature = o.value(QLatin1String("signature")).toString();
    c->form = o.value(QLatin1String("form")).toString();
    for (const QJsonValue &v : o.value(QLatin1String("entries")).toArray()) {
        const QJsonArray e = v.toArray();
        if (e.size() == 2) {
            c->entries.append(FormEntry::text(e.at(0).toString(), e.at(1).toString()));
        } else if (e.size() == 3) {
            // A hidden _charset_ field: the engine sends the name of the charset it encodes in.
            c->entries.append(FormEntry::text(e.at(0).toString(), c->charset));
        } else if (e.size() == 5) {
            if (e.at(1).toInt(-1) != c->fileEntry.size())
                return nullptr;
            c->fileEntry.append(c->entries.size());
            c->fileSize.append(qint64(e.at(4).toDouble()));
            c->entries.append(FormEntry::file(e.at(0).toString(), e.at(2).toString(), e.at(3).toString(), {}));
        } else {
            return nullptr;
        }
    }
    c->m_filesFollow = o.value(QLatin1String("files")).toInt() > 0;
    return c;
}

bool FormCapture::appendFileBytes(int index, const QByteArray &bytes)
{
    if (index < 0 || index >= fileEntry.size())
        return false;
    FormEntry &entry = entries[fileEntry.at(index)];
    if (entry.fileBytes.isEmpty())
        entry.fileBytes.reserve(fileSize.at(index));
    entry.fileBytes += bytes;
    return entry.fileBytes.size() <= fileSize.at(index);
}

bool FormCapture::filesComplete() const
{
    for (qsizetype i = 0; i < fileEntry.size(); ++i) {
        if (entries.at(fileEntry.at(i)).fileBytes.size() != fileSize.at(i))
            return false;
    }
    return true;
}

bool FormCapture::fits(const QByteArray &requestContentType) const
{
    const std::optional<FormEnctype> sent = enctypeOfContentType(requestContentType);
    return !sent || *sent == enctype;
}

void FormCapture::deliverTo(PostData &target, const QByteArray &contentType, const QString &doubt)
{
    QByteArray boundary;
    QByteArray sentType;
    bool remade = false;
    if (enctype == FormEnctype::Multipart) {
        boundary = boundaryOfContentType(contentType);
        if (boundary.isEmpty()) {
            boundary = makeMultipartBoundary();
            remade = true;
        } else {
            sentType = contentType;
        }
    }
    if (sentType.isEmpty())
        sentType = formContentType(enctype, boundary);
    const QByteArray body = encodeFormBody(entries, enctype, charset, boundary);
    entries.clear();
    target.deliver(body, doubt, sentType, BodySource::Script, remade);
}
