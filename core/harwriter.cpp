#include "urllist/harwriter.h"

#include "common/ansitext.h"
#include "common/utctime.h"
#include "urllist/listcolumn.h"
#include "urllist/listfile.h"
#include "urllist/listgrid.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <optional>

namespace {

// The bytes as UTF-8 text when they are exactly that (the text gives back the same bytes);
// otherwise no value. Text that opens with a byte order mark is left out too: some JSON readers
// (Qt's among them) drop it from the start of a string.
std::optional<QString> exactUtf8(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes)
        return std::nullopt;
    return text;
}

QString utf8OrLatin1(const QByteArray &bytes)
{
    if (std::optional<QString> text = exactUtf8(bytes))
        return *text;
    return QString::fromLatin1(bytes);
}

QString formDecoded(QByteArray part)
{
    part.replace('+', ' ');
    return utf8OrLatin1(QByteArray::fromPercentEncoding(part));
}

QJsonArray nameValueArray(const QList<std::pair<QString, QString>> &pairs)
{
    QJsonArray out;
    for (const auto &[name, value] : pairs)
        out.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("value"), value}});
    return out;
}

// The media type of a Content-Type value, lower case, without its parameters.
QByteArray mediaType(const QByteArray &contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    return (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
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
    if (std::optional<QString> text = exactUtf8(request.body)) {
        data.insert(QStringLiteral("text"), *text);
    } else {
        data.insert(QStringLiteral("text"), QString::fromLatin1(request.body.toBase64()));
        data.insert(QStringLiteral("encoding"), QStringLiteral("base64"));
    }
    if (mediaType(request.contentType) == "application/x-www-form-urlencoded")
        data.insert(QStringLiteral("params"), nameValueArray(formUrlencodedPairs(request.body)));
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
        {QStringLiteral("queryString"), nameValueArray(formUrlencodedPairs(queryOf(row.url)))},
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
        {QStringLiteral("_window"), r.window},
        {QStringLiteral("_frame"), r.frame},
        {QStringLiteral("_certain"), r.doubt.isEmpty()},
    };
    if (!r.doubt.isEmpty())
        entry.insert(QStringLiteral("_doubt"), r.doubt);
    if (r.boundaryRemade)
        entry.insert(QStringLiteral("_boundaryRemade"), true);
    return entry;
}

} // namespace

QList<std::pair<QString, QString>> formUrlencodedPairs(const QByteArray &text)
{
    QList<std::pair<QString, QString>> pairs;
    for (const QByteArray &part : text.split('&')) {
        if (part.isEmpty())
            continue;
        const qsizetype eq = part.indexOf('=');
        if (eq < 0)
            pairs.append({formDecoded(part), QString()});
        else
            pairs.append({formDecoded(part.left(eq)), formDecoded(part.mid(eq + 1))});
    }
    return pairs;
}

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

QList<HarRow> harRows(const TListGrid &grid)
{
    QList<HarRow> rows;
    for (int row = grid.FixedRows(); row < grid.RowCount(); ++row)
        rows.append({grid.CellText(UrlColumn, row), grid.RowRequest(row)});
    return rows;
}

void SaveHar(const TListGrid &grid, const QString &fileName)
{
    const QByteArray document = harDocument(harRows(grid));
    saveListFile(fileName, [&document](const ByteSink &sink) { sink(document); });
}
