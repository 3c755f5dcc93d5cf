#include "core/harreader.h"

#include "core/ansitext.h"
#include "core/jsonscanner.h"
#include "core/requestbody.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QUrl>

namespace {

const QString kOurCreator = QStringLiteral("Tavorink Trailscribe");

// Where each entry lies in the document, found by one walk over it before any entry is read: the
// creator may follow the entries, and whether any entry has a "_resourceType" decides which
// entries are pages.
struct Outline
{
    QString creator;
    QList<std::pair<qsizetype, qsizetype>> entries; // from, to
    bool anyResourceType = false;
};

QString jsonFault(const JsonScanner &scanner)
{
    if (scanner.truncated())
        return QStringLiteral("it is cut short (%1).").arg(scanner.error());
    return QStringLiteral("it is not valid JSON (%1).").arg(scanner.error());
}

// The "entries" list: each entry's place, and whether any of them says what kind of resource it
// was.
QString outlineEntries(JsonScanner &scanner, Outline *out)
{
    out->entries.clear();
    if (scanner.peek() != '[')
        return scanner.skipValue() ? QStringLiteral("its log's \"entries\" is not a list.") : jsonFault(scanner);
    scanner.enterArray();
    bool first = true;
    bool done = false;
    while (scanner.nextElement(first, &done) && !done) {
        if (scanner.peek() != '{') {
            if (!scanner.skipValue())
                return jsonFault(scanner);
            return QStringLiteral("entry %1 is not an object.").arg(out->entries.size() + 1);
        }
        const qsizetype from = scanner.position();
        scanner.enterObject();
        bool firstMember = true;
        bool end = false;
        QString key;
        while (scanner.nextMember(firstMember, &key, &end) && !end) {
            if (key == QLatin1String("_resourceType"))
                out->anyResourceType = true;
            if (!scanner.skipValue())
                return jsonFault(scanner);
        }
        if (!end)
            return jsonFault(scanner);
        out->entries.append({from, scanner.position()});
    }
    return done ? QString() : jsonFault(scanner);
}

QString outlineLog(JsonScanner &scanner, QByteArrayView document, Outline *out, bool *hasEntries)
{
    if (scanner.peek() != '{')
        return scanner.skipValue() ? QStringLiteral("its \"log\" is not an object.") : jsonFault(scanner);
    scanner.enterObject();
    bool first = true;
    bool done = false;
    QString key;
    while (scanner.nextMember(first, &key, &done) && !done) {
        if (key == QLatin1String("entries")) {
            *hasEntries = true;
            const QString fault = outlineEntries(scanner, out);
            if (!fault.isEmpty())
                return fault;
        } else if (key == QLatin1String("creator") && scanner.peek() == '{') {
            const qsizetype from = scanner.position();
            if (!scanner.skipValue())
                return jsonFault(scanner);
            const QByteArray creator = QByteArray::fromRawData(document.data() + from, scanner.position() - from);
            out->creator = QJsonDocument::fromJson(creator).object().value(QLatin1String("name")).toString();
        } else if (!scanner.skipValue()) {
            return jsonFault(scanner);
        }
    }
    return done ? QString() : jsonFault(scanner);
}

// Finds the log's creator and entries, checking the syntax of the whole document on the way.
QString outline(QByteArrayView document, Outline *out)
{
    JsonScanner scanner(document);
    if (scanner.peek() == '\0')
        return QStringLiteral("it is empty.");
    if (scanner.peek() != '{') {
        if (scanner.skipValue() && scanner.finish())
            return QStringLiteral("its JSON is not an object.");
        return jsonFault(scanner);
    }
    scanner.enterObject();
    bool first = true;
    bool done = false;
    bool hasLog = false;
    bool hasEntries = false;
    QString key;
    while (scanner.nextMember(first, &key, &done) && !done) {
        if (key == QLatin1String("log")) {
            hasLog = true;
            const QString fault = outlineLog(scanner, document, out, &hasEntries);
            if (!fault.isEmpty())
                return fault;
        } else if (!scanner.skipValue()) {
            return jsonFault(scanner);
        }
    }
    if (!done || !scanner.finish())
        return jsonFault(scanner);
    if (!hasLog)
        return QStringLiteral("it has no \"log\".");
    if (!hasEntries)
        return QStringLiteral("its log has no \"entries\".");
    return {};
}

// Methods, Content-Types and doubts repeat from row to row: the rows share one copy of each.
template<typename T>
void shareCommon(QSet<T> &common, T &value)
{
    constexpr qsizetype kMostShared = 64;
    if (value.isEmpty())
        return;
    const auto found = common.constFind(value);
    if (found != common.constEnd())
        value = *found;
    else if (common.size() < kMostShared)
        common.insert(value);
}

// A text as a browser puts it in an application/x-www-form-urlencoded body: its UTF-8 bytes,
// a space as "+", letters, digits and "*-._" as themselves, every other byte as %HH.
QByteArray formUrlEncoded(const QString &text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '*' || c == '-' || c == '.' || c == '_';
        if (kept)
            out += c;
        else if (c == ' ')
            out += '+';
        else
            out += '%' + QByteArray::number(uchar(c), 16).toUpper().rightJustified(2, '0');
    }
    return out;
}

// A name in a multipart part's header, quoted as a browser quotes it.
QByteArray multipartQuoted(const QString &text)
{
    QByteArray out = text.toUtf8();
    out.replace('"', "%22").replace('\r', "%0D").replace('\n', "%0A");
    return '"' + out + '"';
}

QString paramText(const QJsonValue &param, QLatin1String name)
{
    return param.toObject().value(name).toString();
}

// A body made again from the form fields a file gives in place of its text, in the encoding its
// Content-Type names (a Content-Type that has none becomes urlencoded's; a multipart one
// without a boundary gets one).
QByteArray bodyFromParams(const QJsonArray &params, QByteArray *contentType)
{
    const QByteArray media = contentMediaType(*contentType);
    QByteArray body;
    if (media == "multipart/form-data") {
        QByteArray boundary = contentTypeParameter(*contentType, "boundary");
        if (boundary.isEmpty()) {
            boundary = "----TrailscribeRebuiltBoundary";
            for (const QJsonValue &p : params)
                while (paramText(p, QLatin1String("value")).toUtf8().contains(boundary))
                    boundary += 'x';
            *contentType = "multipart/form-data; boundary=" + boundary;
        }
        for (const QJsonValue &p : params) {
            const QJsonObject part = p.toObject();
            body += "--" + boundary + "\r\nContent-Disposition: form-data; name="
                + multipartQuoted(paramText(p, QLatin1String("name")));
            if (part.contains(QLatin1String("fileName")))
                body += "; filename=" + multipartQuoted(paramText(p, QLatin1String("fileName")));
            body += "\r\n";
            const QString type = paramText(p, QLatin1String("contentType"));
            if (!type.isEmpty())
                body += "Content-Type: " + type.toLatin1() + "\r\n";
            body += "\r\n" + paramText(p, QLatin1String("value")).toUtf8() + "\r\n";
        }
        body += "--" + boundary + "--\r\n";
    } else if (media == "text/plain") {
        for (const QJsonValue &p : params)
            body += paramText(p, QLatin1String("name")).toUtf8() + '=' + paramText(p, QLatin1String("value")).toUtf8() + "\r\n";
    } else {
        for (const QJsonValue &p : params) {
            if (!body.isEmpty())
                body += '&';
            body += formUrlEncoded(paramText(p, QLatin1String("name"))) + '='
                + formUrlEncoded(paramText(p, QLatin1String("value")));
        }
        if (contentType->isEmpty())
            *contentType = "application/x-www-form-urlencoded";
    }
    return body;
}

bool isUrl(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty();
}

QString quotedForMessage(const QString &text)
{
    constexpr int kShown = 120;
    return QLatin1Char('"') + (text.size() > kShown ? text.left(kShown) + QStringLiteral("\u2026") : text)
        + QLatin1Char('"');
}

// Reads one entry into a row; on a fault, returns what is wrong with it.
class EntryReader
{
public:
    EntryReader(bool ours, const QString &creator)
        : m_ours(ours),
          m_readFrom(QStringLiteral("Read from a HAR file written by %1")
                         .arg(creator.isEmpty() ? QStringLiteral("an unknown program") : creator)),
          m_doubtOther(m_readFrom + QLatin1Char('.')),
          m_doubtRebuilt(m_readFrom + QStringLiteral("; the body was rebuilt from its fields."))
    {
    }

    QString read(const QJsonObject &entry, HarRow *row)
    {
        RequestRecord &r = row->request;
        const QJsonObject request = entry.value(QLatin1String("request")).toObject();
        if (request.isEmpty())
            return QStringLiteral("has no request.");
        r.method = request.value(QLatin1String("method")).toString().toLatin1();
        if (r.method.isEmpty())
            return QStringLiteral("has no request method.");
        const QJsonValue url = request.value(QLatin1String("url"));
        // Our own files hold the list's address cells as they were, whatever was typed in them.
        if (!url.isString() || (!m_ours && url.toString().isEmpty()))
            return QStringLiteral("has no request address.");
        if (!m_ours && !isUrl(url.toString()))
            return QStringLiteral("has an address that is not a URL: %1.").arg(quotedForMessage(url.toString()));
        row->url = toAnsi(url.toString());

        const QString started = entry.value(QLatin1String("startedDateTime")).toString();
        const QDateTime when = QDateTime::fromString(started, Qt::ISODateWithMs);
        if (!when.isValid() || !started.contains(QLatin1Char('T')))
            return started.isEmpty() ? QStringLiteral("has no start time (startedDateTime).")
                                     : QStringLiteral("has a start time that is not one: %1.").arg(quotedForMessage(started));
        r.recorded = when.toUTC();

        bool rebuilt = false;
        const QJsonValue postData = request.value(QLatin1String("postData"));
        if (!postData.isUndefined() && !postData.isNull()) {
            if (!postData.isObject())
                return QStringLiteral("has a postData that is not an object.");
            const QString fault = readBody(postData.toObject(), &r, &rebuilt);
            if (!fault.isEmpty())
                return fault;
            r.source = BodySource::HarFile;
        }

        if (m_ours) {
            const QString window = entry.value(QLatin1String("_window")).toString();
            r.window = window == windowName(RequestWindow::Main)       ? RequestWindow::Main
                : window == windowName(RequestWindow::External) ? RequestWindow::External
                                                                  : RequestWindow::Unknown;
            r.frame = entry.value(QLatin1String("_frame")).toString() == frameName(RequestFrame::Frame)
                ? RequestFrame::Frame
                : RequestFrame::TopLevel;
            r.doubt = entry.value(QLatin1String("_doubt")).toString();
            if (rebuilt)
                r.doubt += (r.doubt.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("The body was rebuilt from its fields.");
            r.boundaryRemade = entry.value(QLatin1String("_boundaryRemade")).toBool();
        } else {
            r.window = RequestWindow::Main;
            r.frame = RequestFrame::TopLevel;
            r.doubt = rebuilt ? m_doubtRebuilt : m_doubtOther;
        }
        shareCommon(m_bytes, r.method);
        shareCommon(m_bytes, r.contentType);
        shareCommon(m_texts, r.doubt);
        return {};
    }

private:
    static QString readBody(const QJsonObject &postData, RequestRecord *r, bool *rebuilt)
    {
        r->contentType = postData.value(QLatin1String("mimeType")).toString().toLatin1();
        const QJsonValue text = postData.value(QLatin1String("text"));
        const QString encoding = postData.value(QLatin1String("encoding")).toString();
        if (text.isString()) {
            if (encoding.isEmpty()) {
                r->body = text.toString().toUtf8();
            } else if (encoding == QLatin1String("base64")) {
                const QByteArray encoded = text.toString().toLatin1();
                auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
                // Qt lets a lone last character pass, though it holds no whole byte.
                const qsizetype digits = encoded.size() - (encoded.endsWith("==") ? 2 : encoded.endsWith('=') ? 1 : 0);
                if (!decoded || digits % 4 == 1)
                    return QStringLiteral("has a body that is not valid base64.");
                r->body = *decoded;
            } else {
                return QStringLiteral("has a body in an encoding this program cannot read: %1.").arg(quotedForMessage(encoding));
            }
        } else if (postData.value(QLatin1String("params")).isArray()) {
            r->body = bodyFromParams(postData.value(QLatin1String("params")).toArray(), &r->contentType);
            *rebuilt = true;
        }
        return {};
    }

    const bool m_ours;
    const QString m_readFrom;
    const QString m_doubtOther;
    const QString m_doubtRebuilt;
    QSet<QByteArray> m_bytes;
    QSet<QString> m_texts;
};

HarReadResult readDocument(QByteArrayView document, const HarReadProgress &progress, const QString &subject)
{
    HarReadResult result;
    auto failed = [&result, &subject](const QString &fault) {
        result.rows.clear();
        result.error = QStringLiteral("%1 is not a HAR file: %2").arg(subject, fault);
        return result;
    };
    auto cancelled = [&result, &subject] {
        result.rows.clear();
        result.error = QStringLiteral("%1 was not read: the reading was cancelled.").arg(subject);
        return result;
    };
    const qint64 total = document.size();

    Outline outlined;
    const QString fault = outline(document, &outlined);
    if (!fault.isEmpty())
        return failed(fault);
    result.creator = outlined.creator;
    result.ours = outlined.creator == kOurCreator;

    EntryReader reader(result.ours, outlined.creator);
    result.rows.reserve(outlined.entries.size());
    // Reported at least every hundredth of the document and every 10,000 entries.
    const qint64 step = std::max<qint64>(total / 100, 1);
    constexpr qsizetype kEntriesStep = 10000;
    qint64 reported = 0;
    qsizetype reportedEntry = 0;
    if (progress && !progress(0, total))
        return cancelled();
    for (qsizetype i = 0; i < outlined.entries.size(); ++i) {
        const auto [from, to] = outlined.entries.at(i);
        const QByteArray text = QByteArray::fromRawData(document.data() + from, to - from);
        QJsonParseError error;
        const QJsonObject entry = QJsonDocument::fromJson(text, &error).object();
        const QString number = QStringLiteral("entry %1 ").arg(i + 1);
        if (error.error != QJsonParseError::NoError)
            return failed(number + QStringLiteral("is not valid JSON (%1 at byte %2).")
                                       .arg(error.errorString())
                                       .arg(from + error.offset));
        const bool page = !outlined.anyResourceType
            || entry.value(QLatin1String("_resourceType")).toString() == QLatin1String("document");
        if (page) {
            HarRow row;
            const QString entryFault = reader.read(entry, &row);
            if (!entryFault.isEmpty())
                return failed(number + entryFault);
            result.rows.append(std::move(row));
        }
        const qint64 done = to;
        if (progress && (done - reported >= step || i + 1 - reportedEntry >= kEntriesStep)) {
            if (!progress(done, total))
                return cancelled();
            reported = done;
            reportedEntry = i + 1;
        }
    }
    if (progress && !progress(total, total))
        return cancelled();
    return result;
}

} // namespace

HarReadResult readHar(const QByteArray &document, const HarReadProgress &progress)
{
    return readDocument(document, progress, QStringLiteral("The document"));
}

HarReadResult readHarFile(const QString &fileName, const HarReadProgress &progress)
{
    const QString subject = QLatin1Char('"') + QFileInfo(fileName).fileName() + QLatin1Char('"');
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        HarReadResult result;
        result.error = QStringLiteral("%1 cannot be opened: %2.").arg(subject, file.errorString());
        return result;
    }
    // A mapped file is read in place; the rows copy what they keep.
    if (const qint64 size = file.size(); size > 0) {
        if (uchar *mapped = file.map(0, size)) {
            const char *data = reinterpret_cast<const char *>(mapped);
            return readDocument(QByteArrayView(data, size), progress, subject);
        }
    }
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        HarReadResult result;
        result.error = QStringLiteral("%1 cannot be read: %2.").arg(subject, file.errorString());
        return result;
    }
    return readDocument(contents, progress, subject);
}
