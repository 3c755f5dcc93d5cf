#include "core/harwriter.h"

#include "core/ansitext.h"
#include "core/requestbody.h"
#include "core/utctime.h"
#include "core/listfile.h"
#include "core/requestlistmodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <optional>

namespace {

QJsonArray nameValueArray(const QList<FormField> &fields)
{
    QJsonArray out;
    for (const FormField &f : fields)
        out.append(QJsonObject{{QStringLiteral("name"), f.name}, {QStringLiteral("value"), f.value}});
    return out;
}

QByteArray queryOf(const QByteArray &url)
{
    const qsizetype question = url.indexOf('?');
    if (question < 0)
        return {};
    QByteArray query = url.mid(question + 1);
    const qsizetype hash = query.indexOf('#');
    if (hash >= 0)
        query.truncate(hash);
    return query;
}

QJsonObject postData(const RequestRecord &request)
{
    QJsonObject data{{QStringLiteral("mimeType"), QString::fromLatin1(request.contentType)}};
    if (std::optional<QString> text = exactUtf8Text(request.body)) {
        data.insert(QStringLiteral("text"), *text);
    } else {
        data.insert(QStringLiteral("text"), QString::fromLatin1(request.body.toBase64()));
        data.insert(QStringLiteral("encoding"), QStringLiteral("base64"));
    }
    if (contentMediaType(request.contentType) == "application/x-www-form-urlencoded")
        data.insert(QStringLiteral("params"),
                    nameValueArray(parseUrlEncoded(request.body, bodyCharset(request.contentType))));
    return data;
}

QJsonObject harRequest(const HarRow &row)
{
    const RequestRecord &r = row.request;
    QJsonArray headers;
    if (!r.contentType.isEmpty())
        headers.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("Content-Type")},
                                   {QStringLiteral("value"), QString::fromLatin1(r.contentType)}});
    QJsonObject request{
        {QStringLiteral("method"), QString::fromLatin1(r.method)},
        {QStringLiteral("url"), fromAnsi(row.url)},
        {QStringLiteral("httpVersion"), QStringLiteral("HTTP/1.1")},
        {QStringLiteral("cookies"), QJsonArray()},
        {QStringLiteral("headers"), headers},
        {QStringLiteral("queryString"), nameValueArray(parseUrlEncoded(queryOf(row.url), QString()))},
        {QStringLiteral("headersSize"), -1},
        {QStringLiteral("bodySize"), r.body.size()},
    };
    if (r.method != "GET" || !r.body.isEmpty())
        request.insert(QStringLiteral("postData"), postData(r));
    return request;
}

QJsonObject notObservedResponse()
{
    return QJsonObject{
        {QStringLiteral("status"), 0},
        {QStringLiteral("statusText"), QString()},
        {QStringLiteral("httpVersion"), QString()},
        {QStringLiteral("cookies"), QJsonArray()},
        {QStringLiteral("headers"), QJsonArray()},
        {QStringLiteral("content"), QJsonObject{{QStringLiteral("size"), 0}, {QStringLiteral("mimeType"), QString()}}},
        {QStringLiteral("redirectURL"), QString()},
        {QStringLiteral("headersSize"), -1},
        {QStringLiteral("bodySize"), -1},
        {QStringLiteral("_notObserved"), true},
    };
}

QString startedDateTime(const QDateTime &recorded)
{
    // A record always has its time; one that lacks it still needs a valid date in the file.
    const QDateTime when = recorded.isValid() ? recorded.toUTC() : utcFromMSecsSinceEpoch(0);
    return when.toString(Qt::ISODateWithMs);
}

QJsonObject harEntry(const HarRow &row)
{
    const RequestRecord &r = row.request;
    QJsonObject entry{
        {QStringLiteral("startedDateTime"), startedDateTime(r.recorded)},
        {QStringLiteral("time"), 0},
        {QStringLiteral("request"), harRequest(row)},
        {QStringLiteral("response"), notObservedResponse()},
        {QStringLiteral("cache"), QJsonObject()},
        {QStringLiteral("timings"),
         QJsonObject{{QStringLiteral("send"), 0}, {QStringLiteral("wait"), 0}, {QStringLiteral("receive"), 0}}},
        {QStringLiteral("_window"), windowName(r.window)},
        {QStringLiteral("_frame"), frameName(r.frame)},
        {QStringLiteral("_certain"), r.doubt.isEmpty()},
    };
    if (!r.doubt.isEmpty())
        entry.insert(QStringLiteral("_doubt"), r.doubt);
    if (r.boundaryRemade)
        entry.insert(QStringLiteral("_boundaryRemade"), true);
    return entry;
}

} // namespace

QByteArray harDocument(const QList<HarRow> &rows)
{
    QJsonArray entries;
    for (const HarRow &row : rows)
        if (!row.request.isEmpty())
            entries.append(harEntry(row));
    const QJsonObject log{
        {QStringLiteral("version"), QStringLiteral("1.2")},
        {QStringLiteral("creator"),
         QJsonObject{{QStringLiteral("name"), QStringLiteral("Tavorink Trailscribe")}, {QStringLiteral("version"), QStringLiteral("1.0")}}},
        {QStringLiteral("entries"), entries},
    };
    return QJsonDocument(QJsonObject{{QStringLiteral("log"), log}}).toJson(QJsonDocument::Indented);
}

QList<HarRow> harRows(const RequestListModel &model)
{
    QList<HarRow> rows;
    rows.reserve(model.rows());
    for (int row = 0; row < model.rows(); ++row)
        rows.append({model.url(row), model.request(row)});
    return rows;
}

void SaveHar(const RequestListModel &model, const QString &fileName)
{
    const QByteArray document = harDocument(harRows(model));
    saveListFile(fileName, [&document](const ByteSink &sink) { sink(document); });
}
