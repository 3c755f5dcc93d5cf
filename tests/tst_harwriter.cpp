// The list as a HAR file: each recorded request, its body kept byte for byte.
#include "tests/support/harfixtures.h"
#include "core/requestbody.h"
#include "urllist/listgrid.h"
#include "core/listgriderror.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(RequestRecord)

using Pairs = QList<std::pair<QString, QString>>;
Q_DECLARE_METATYPE(Pairs)

namespace {

QJsonObject parse(const QByteArray &document)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << error.errorString();
    return json.object();
}

QJsonArray entriesOf(const QByteArray &document)
{
    return parse(document)[QStringLiteral("log")][QStringLiteral("entries")].toArray();
}

QJsonObject onlyEntry(const HarRow &row)
{
    const QJsonArray entries = entriesOf(harDocument({row}));
    return entries.size() == 1 ? entries.first().toObject() : QJsonObject();
}

Pairs pairsOf(const QJsonValue &array)
{
    Pairs out;
    for (const QJsonValue &p : array.toArray())
        out.append({p[QStringLiteral("name")].toString(), p[QStringLiteral("value")].toString()});
    return out;
}

// The body a HAR reader gets back from postData.
QByteArray bodyOf(const QJsonObject &postData)
{
    const QString text = postData[QStringLiteral("text")].toString();
    if (postData[QStringLiteral("encoding")].toString() == QStringLiteral("base64"))
        return QByteArray::fromBase64(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return text.toUtf8();
}

} // namespace

class TestHarWriter : public QObject
{
    Q_OBJECT
private slots:
    void formUrlencodedDecoding_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Pairs>("pairs");
        QTest::newRow("plain") << QByteArray("a=1&b=2") << Pairs{{"a", "1"}, {"b", "2"}};
        QTest::newRow("plus and escapes") << QByteArray("a=1+2%263&b=x%3Dy%2B")
                                          << Pairs{{"a", "1 2&3"}, {"b", "x=y+"}};
        QTest::newRow("first equals sign splits") << QByteArray("k=v=w") << Pairs{{"k", "v=w"}};
        QTest::newRow("no value, empty parts") << QByteArray("&a&&b=&") << Pairs{{"a", ""}, {"b", ""}};
        QTest::newRow("utf-8") << QByteArray("caf%C3%A9=%E2%82%AC") << Pairs{{QString::fromUtf8("caf\u00e9"), QString::fromUtf8("\u20ac")}};
        QTest::newRow("not utf-8 reads as latin-1") << QByteArray("caf%E9=%80") << Pairs{{QString::fromUtf8("caf\u00e9"), QString(QChar(0x80))}};
        QTest::newRow("empty") << QByteArray() << Pairs{};
    }
    void formUrlencodedDecoding()
    {
        QFETCH(QByteArray, text);
        QFETCH(Pairs, pairs);
        Pairs got;
        for (const FormField &f : parseUrlEncoded(text, QString()))
            got.append({f.name, f.value});
        QCOMPARE(got, pairs);
    }

    void requestBodies_data()
    {
        QTest::addColumn<RequestRecord>("request");
        QTest::addColumn<bool>("base64");
        QTest::addColumn<Pairs>("params");  // only for urlencoded bodies
        using harfixture::formPost;
        const QList<FormEntry> fields{FormEntry::text("a", "1 2&3"), FormEntry::text(QString::fromUtf8("caf\u00e9"), "x=y")};
        const Pairs decoded{{"a", "1 2&3"}, {QString::fromUtf8("caf\u00e9"), "x=y"}};
        QByteArray binary;
        for (int i = 0; i < 256; ++i)
            binary += char(i);

        QTest::newRow("urlencoded") << formPost(fields, FormEnctype::UrlEncoded, "UTF-8") << false << decoded;
        // A windows-1252 form escapes its é as %E9: the params read it as Latin-1 (the same letter).
        QTest::newRow("urlencoded windows-1252") << formPost(fields, FormEnctype::UrlEncoded, "windows-1252") << false << decoded;
        QTest::newRow("urlencoded, type with parameters")
            << harfixture::record("POST", "a=%C3%A9", "Application/X-WWW-Form-Urlencoded; charset=UTF-8") << false
            << Pairs{{"a", QString::fromUtf8("\u00e9")}};
        QTest::newRow("text/plain") << formPost(fields, FormEnctype::TextPlain, "UTF-8") << false << Pairs{};
        QTest::newRow("text/plain not utf-8") << formPost(fields, FormEnctype::TextPlain, "windows-1252") << true << Pairs{};
        QTest::newRow("multipart") << formPost(fields, FormEnctype::Multipart, "UTF-8") << false << Pairs{};
        QTest::newRow("multipart with a binary file")
            << formPost({FormEntry::file("f", "b.bin", "application/octet-stream", binary)}, FormEnctype::Multipart, "UTF-8")
            << true << Pairs{};
        QTest::newRow("zero byte, utf-8") << harfixture::record("POST", QByteArray("a\0b", 3), "text/plain") << false << Pairs{};
        // Readers may drop a byte order mark from the start of a text.
        QTest::newRow("leading byte order mark") << harfixture::record("POST", "\xEF\xBB\xBFx", "text/plain") << true << Pairs{};
        QTest::newRow("inner byte order mark") << harfixture::record("POST", "x\xEF\xBB\xBF", "text/plain") << false << Pairs{};
        QTest::newRow("encoded surrogate is not utf-8") << harfixture::record("POST", "\xED\xA0\x80", "text/plain") << true << Pairs{};
        QTest::newRow("unknown type, empty body") << harfixture::record("POST", {}, {}) << false << Pairs{};
    }
    void requestBodies()
    {
        QFETCH(RequestRecord, request);
        QFETCH(bool, base64);
        QFETCH(Pairs, params);
        const QJsonObject r = onlyEntry({"http://h.test/post", request})[QStringLiteral("request")].toObject();
        QCOMPARE(r[QStringLiteral("method")].toString(), QStringLiteral("POST"));
        QCOMPARE(r[QStringLiteral("bodySize")].toInteger(), request.body.size());
        QCOMPARE(r[QStringLiteral("headersSize")].toInt(), -1);
        const QJsonObject postData = r[QStringLiteral("postData")].toObject();
        QCOMPARE(postData[QStringLiteral("mimeType")].toString(), QString::fromLatin1(request.contentType));
        QCOMPARE(postData.contains(QStringLiteral("encoding")), base64);
        QCOMPARE(bodyOf(postData), request.body);
        const bool urlencoded = request.contentType.toLower().startsWith("application/x-www-form-urlencoded");
        QCOMPARE(postData.contains(QStringLiteral("params")), urlencoded);
        QCOMPARE(pairsOf(postData[QStringLiteral("params")]), params);
        const Pairs headers = pairsOf(r[QStringLiteral("headers")]);
        if (request.contentType.isEmpty())
            QCOMPARE(headers, Pairs{});
        else
            QCOMPARE(headers, (Pairs{{"Content-Type", QString::fromLatin1(request.contentType)}}));
    }

    void aPageRowHasNoBody()
    {
        const QJsonObject e = onlyEntry({"http://h.test/page?q=a+b&r=%C3%A9&&s#frag", harfixture::record("GET", {}, {})});
        const QJsonObject r = e[QStringLiteral("request")].toObject();
        QCOMPARE(r[QStringLiteral("method")].toString(), QStringLiteral("GET"));
        QCOMPARE(r[QStringLiteral("url")].toString(), QStringLiteral("http://h.test/page?q=a+b&r=%C3%A9&&s#frag"));
        QCOMPARE(r[QStringLiteral("httpVersion")].toString(), QStringLiteral("HTTP/1.1"));
        QVERIFY(!r.contains(QStringLiteral("postData")));
        QCOMPARE(r[QStringLiteral("bodySize")].toInt(-1), 0);
        QCOMPARE(r[QStringLiteral("headers")].toArray(), QJsonArray());
        QCOMPARE(pairsOf(r[QStringLiteral("queryString")]),
                 (Pairs{{"q", "a b"}, {"r", QString::fromUtf8("\u00e9")}, {"s", ""}}));
        QCOMPARE(pairsOf(onlyEntry({"http://h.test/", harfixture::record("GET", {}, {})})[QStringLiteral("request")]
                             [QStringLiteral("queryString")]),
                 Pairs{});
    }

    void anEntryTellsWhatWasNotObserved()
    {
        const QJsonObject e = onlyEntry({"http://h.test/", harfixture::record("GET", {}, {})});
        QCOMPARE(e[QStringLiteral("startedDateTime")].toString(), QStringLiteral("2026-03-04T05:06:07.089Z"));
        QCOMPARE(e[QStringLiteral("time")].toInt(-1), 0);
        QCOMPARE(e[QStringLiteral("cache")].toObject(), QJsonObject());
        QCOMPARE(e[QStringLiteral("timings")].toObject(),
                 (QJsonObject{{"send", 0}, {"wait", 0}, {"receive", 0}}));
        const QJsonObject response = e[QStringLiteral("response")].toObject();
        QCOMPARE(response, (QJsonObject{{"status", 0}, {"statusText", ""}, {"httpVersion", ""}, {"cookies", QJsonArray()},
                                        {"headers", QJsonArray()}, {"content", QJsonObject{{"size", 0}, {"mimeType", ""}}},
                                        {"redirectURL", ""}, {"headersSize", -1}, {"bodySize", -1},
                                        {"_notObserved", true}}));
        QCOMPARE(e[QStringLiteral("_window")].toString(), QStringLiteral("main"));
        QCOMPARE(e[QStringLiteral("_frame")].toString(), QStringLiteral("top-level"));
        QCOMPARE(e[QStringLiteral("_certain")], QJsonValue(true));
        QVERIFY(!e.contains(QStringLiteral("_doubt")));

        // A local time is written in UTC.
        RequestRecord local = harfixture::record("GET", {}, {});
        local.recorded = QDateTime(QDate(2026, 3, 4), QTime(7, 6, 7, 89), QTimeZone(2 * 3600));
        QCOMPARE(onlyEntry({"http://h.test/", local})[QStringLiteral("startedDateTime")].toString(),
                 QStringLiteral("2026-03-04T05:06:07.089Z"));

        const QString doubt = QStringLiteral("Nothing confirmed the entries.");
        const QJsonObject uncertain =
            onlyEntry({"http://h.test/", harfixture::record("POST", "a=1", "text/plain", RequestWindow::External, doubt)});
        QCOMPARE(uncertain[QStringLiteral("_window")].toString(), QStringLiteral("external"));
        QCOMPARE(uncertain[QStringLiteral("_certain")], QJsonValue(false));
        QCOMPARE(uncertain[QStringLiteral("_doubt")].toString(), doubt);
        QVERIFY(!uncertain.contains(QStringLiteral("_boundaryRemade")));

        // A multipart body whose boundary is ours says so, and stays certain.
        RequestRecord remade = harfixture::record("POST", "--b\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--b--\r\n",
                                                  "multipart/form-data; boundary=b");
        remade.boundaryRemade = true;
        const QJsonObject ours = onlyEntry({"http://h.test/", remade});
        QCOMPARE(ours[QStringLiteral("_boundaryRemade")], QJsonValue(true));
        QCOMPARE(ours[QStringLiteral("_certain")], QJsonValue(true));
    }

    void theLogHoldsTheRowsInListOrder()
    {
        const QList<HarRow> rows = harfixture::allKinds();
        const QJsonObject log = parse(harDocument(rows))[QStringLiteral("log")].toObject();
        QCOMPARE(log[QStringLiteral("version")].toString(), QStringLiteral("1.2"));
        QCOMPARE(log[QStringLiteral("creator")].toObject(),
                 (QJsonObject{{"name", "Tavorink Trailscribe"}, {"version", "1.0"}}));
        QVERIFY(log[QStringLiteral("pages")].toArray().isEmpty());
        const QJsonArray entries = log[QStringLiteral("entries")].toArray();
        QList<HarRow> recorded;
        for (const HarRow &row : rows)
            if (!row.request.isEmpty())
                recorded.append(row);
        QCOMPARE(recorded.size(), rows.size() - 1);
        QCOMPARE(entries.size(), recorded.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QJsonObject r = entries[i][QStringLiteral("request")].toObject();
            QCOMPARE(r[QStringLiteral("url")].toString(), QString::fromUtf8(recorded[i].url));
            QCOMPARE(r[QStringLiteral("method")].toString(), QString::fromLatin1(recorded[i].request.method));
            QCOMPARE(bodyOf(r[QStringLiteral("postData")].toObject()), recorded[i].request.body);
        }
        QCOMPARE(entriesOf(harDocument({})), QJsonArray());
    }

    void savingTheList()
    {
        TListGrid grid;
        const QList<HarRow> rows = harfixture::allKinds();
        grid.SetRowCount(int(rows.size()) + 1);
        for (int i = 0; i < rows.size(); ++i) {
            grid.SetCellText(0, i + 1, rows[i].url);
            grid.SetRowRequest(i + 1, rows[i].request);
        }
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("list.har"));
        SaveHar(*grid.model(), name);
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), harDocument(rows));

        const QString missing = dir.filePath(QStringLiteral("missing/list.har"));
        try {
            SaveHar(*grid.model(), missing);
            QFAIL("no error for a file that cannot be created");
        } catch (const EListGridError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot Create file ") + missing);
        }
    }
};

QTEST_MAIN(TestHarWriter)
#include "tst_harwriter.moc"
