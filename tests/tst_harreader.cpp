// Reading a HAR file back into rows: our own files whole, the pages of other programs' files,
// and files that are damaged or large. It links the core library and Qt Core only.
#include "tests/support/harfixtures.h"
#include "core/harreader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

namespace {

// JSON written with ' for " (the test's texts hold no ' of their own).
QByteArray j(const char *json)
{
    return QByteArray(json).replace('\'', '"');
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A document another program wrote, around the given entries.
QByteArray otherHar(const QByteArray &entries, const QByteArray &creator = "WebInspector")
{
    return j("{'log':{'version':'1.2','creator':{'name':'") + creator + j("','version':'537.36'},'pages':[],'entries':[")
        + entries + "]}}";
}

QByteArray entry(const QByteArray &url, const QByteArray &extra = {}, const QByteArray &request = j("'method':'GET'"))
{
    return j("{'startedDateTime':'2026-03-04T05:06:07.089Z','request':{") + request + j(",'url':'") + url + j("'}")
        + extra + "}";
}

QByteArray postEntry(const QByteArray &url, const QByteArray &postData)
{
    return entry(url, {}, j("'method':'POST','postData':") + postData);
}

// The peak memory of the process since resetPeak(), in MB (Linux keeps it in VmHWM).
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

qint64 peakMegabytes()
{
    const QByteArray status = readFile(QStringLiteral("/proc/self/status"));
    const qsizetype at = status.indexOf("VmHWM:");
    if (at >= 0)
        return status.mid(at + 6, status.indexOf('\n', at) - at - 6).trimmed().split(' ').first().toLongLong() / 1024;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void compareRecords(const RequestRecord &actual, const RequestRecord &expected)
{
    QCOMPARE(actual.method, expected.method);
    QCOMPARE(actual.body, expected.body);
    QCOMPARE(actual.contentType, expected.contentType);
    QCOMPARE(actual.recorded, expected.recorded);
    QCOMPARE(actual.recorded.timeSpec(), Qt::UTC);
    QCOMPARE(actual.doubt, expected.doubt);
    QCOMPARE(actual.window, expected.window);
    QCOMPARE(actual.frame, expected.frame);
    QCOMPARE(actual.source, expected.source);
    QCOMPARE(actual.boundaryRemade, expected.boundaryRemade);
}

} // namespace

class TstHarReader : public QObject
{
    Q_OBJECT
private slots:
    // Every kind of row the recorder leaves, written, read and written again: the same bytes,
    // the same records. The file does not keep where a body came from: it comes from the file.
    void ourFileComesBackWhole()
    {
        QList<HarRow> rows = harfixture::allKinds();
        QByteArray zeros("a=\0\0&b=\xff\xfe", 10);
        RequestRecord frame = harfixture::record("POST", zeros, "application/x-www-form-urlencoded", RequestWindow::Unknown,
                                                 QStringLiteral("The body may be another request's."));
        frame.frame = RequestFrame::Frame;
        frame.boundaryRemade = true;
        frame.source = BodySource::Network;
        frame.recorded = utcDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999));
        rows.append({"not a link, with \"quotes\"", frame});
        rows.append({"http://h.test/empty", harfixture::record("POST", {}, {})});

        const QByteArray written = harDocument(rows);
        const HarReadResult read = readHar(written);
        QCOMPARE(read.error, QString());
        QVERIFY(read.ours);
        QCOMPARE(read.creator, QStringLiteral("Tavorink Trailscribe"));
        QCOMPARE(harDocument(read.rows), written);

        rows.removeIf([](const HarRow &row) { return row.request.isEmpty(); });
        QCOMPARE(read.rows.size(), rows.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            RequestRecord expected = rows[i].request;
            expected.source = expected.method == "GET" && expected.body.isEmpty() ? BodySource::None : BodySource::HarFile;
            QCOMPARE(read.rows[i].url, rows[i].url);
            compareRecords(read.rows[i].request, expected);
            if (QTest::currentTestFailed())
                qWarning() << "row" << i;
        }
    }

    // The file the list of every kind of row was saved as before the reader existed.
    void savedFileReadsBackToItsBytes()
    {
        const QString saved = QFINDTESTDATA("data/outputbytes/list.har");
        QVERIFY(!saved.isEmpty());
        const HarReadResult read = readHarFile(saved);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows.size(), 6);
        QCOMPARE(harDocument(read.rows), readFile(saved));
        QCOMPARE(read.rows[3].request.frame, RequestFrame::Frame);
        QVERIFY(read.rows[3].request.boundaryRemade);
        QCOMPARE(read.rows[2].request.body, QByteArray("\0\xff\xe9=1&n=\xe9,\"q\"", 14));
        // As an editor on Windows may leave it.
        const HarReadResult marked = readHar("\xEF\xBB\xBF" + readFile(saved));
        QCOMPARE(marked.error, QString());
        QCOMPARE(harDocument(marked.rows), readFile(saved));
    }

    // A browser's file holds every resource of a page: the pages are its rows, each marked as read
    // from that program's file.
    void otherProgramsPages_data()
    {
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<QByteArrayList>("urls");
        const QByteArray doc = j(",'_resourceType':'document'");
        QTest::newRow("documents only, when resources are typed")
            << entry("http://a.test/", doc) + ',' + entry("http://a.test/s.js", j(",'_resourceType':'script'")) + ','
                   + entry("http://a.test/untyped") + ',' + entry("http://a.test/next", doc)
            << QByteArrayList{"http://a.test/", "http://a.test/next"};
        QTest::newRow("every entry, when none is typed")
            << entry("http://a.test/") + ',' + entry("http://a.test/s.js")
            << QByteArrayList{"http://a.test/", "http://a.test/s.js"};
        QTest::newRow("a skipped resource is not checked")
            << j("{'request':{'url':''},'_resourceType':'image'},") + entry("http://a.test/", doc)
            << QByteArrayList{"http://a.test/"};
        QTest::newRow("member names written with escapes")
            << entry("http://a.test/", j(",'_resource\\u0054ype':'document'")) + ',' + entry("http://a.test/s.js")
            << QByteArrayList{"http://a.test/"};
        QTest::newRow("no entries") << QByteArray() << QByteArrayList{};
    }
    void otherProgramsPages()
    {
        QFETCH(QByteArray, entries);
        QFETCH(QByteArrayList, urls);
        const HarReadResult read = readHar(otherHar(entries));
        QCOMPARE(read.error, QString());
        QVERIFY(!read.ours);
        QCOMPARE(read.creator, QStringLiteral("WebInspector"));
        QByteArrayList got;
        for (const HarRow &row : read.rows) {
            got << row.url;
            QCOMPARE(row.request.window, RequestWindow::Main);
            QCOMPARE(row.request.frame, RequestFrame::TopLevel);
            QCOMPARE(row.request.doubt, QStringLiteral("Read from a HAR file written by WebInspector."));
            QCOMPARE(row.request.recorded, utcDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89)));
        }
        QCOMPARE(got, urls);
    }

    void otherProgramsTimesAreUtc_data()
    {
        QTest::addColumn<QByteArray>("started");
        QTest::addColumn<QDateTime>("utc");
        QTest::newRow("offset") << QByteArray("2026-03-04T07:06:07.089+02:00") << utcDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89));
        QTest::newRow("negative offset, day before")
            << QByteArray("2026-03-03T23:30:00.5-05:30") << utcDateTime(QDate(2026, 3, 4), QTime(5, 0, 0, 500));
        QTest::newRow("Z, no fraction") << QByteArray("2026-03-04T05:06:07Z") << utcDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    }
    void otherProgramsTimesAreUtc()
    {
        QFETCH(QByteArray, started);
        QFETCH(QDateTime, utc);
        QByteArray e = entry("http://a.test/");
        e.replace("2026-03-04T05:06:07.089Z", started);
        const HarReadResult read = readHar(otherHar(e));
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows.size(), 1);
        QCOMPARE(read.rows[0].request.recorded, utc);
        QCOMPARE(read.rows[0].request.recorded.timeSpec(), Qt::UTC);
    }

    // The body as the file gives it: text, base64, or only its fields, which are encoded again
    // as a browser sends that enctype.
    void otherProgramsBodies_data()
    {
        QTest::addColumn<QByteArray>("postData");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<bool>("rebuilt");
        QTest::newRow("text")
            << QByteArray(j("{'mimeType':'text/plain','text':'caf\\u00e9\\u0000\\r\\n','params':[{'name':'x','value':'y'}]}"))
            << QByteArray("caf\xc3\xa9\0\r\n", 8) << QByteArray("text/plain") << false;
        QTest::newRow("base64")
            << QByteArray(j("{'mimeType':'application/octet-stream','text':'AP/+gA==','encoding':'base64'}"))
            << QByteArray("\0\xff\xfe\x80", 4) << QByteArray("application/octet-stream") << false;
        QTest::newRow("urlencoded fields")
            << QByteArray(j("{'mimeType':'application/x-www-form-urlencoded','params':[{'name':'a b','value':'1+2&3=4'},"
                          "{'name':'caf\\u00e9','value':'~*-._!\\u0027()/?'},{'name':'empty','value':''}]}"))
            << QByteArray("a+b=1%2B2%263%3D4&caf%C3%A9=%7E*-._%21%27%28%29%2F%3F&empty=")
            << QByteArray("application/x-www-form-urlencoded") << true;
        QTest::newRow("fields without a type are urlencoded")
            << QByteArray(j("{'params':[{'name':'q','value':'x y'}]}")) << QByteArray("q=x+y")
            << QByteArray("application/x-www-form-urlencoded") << true;
        QTest::newRow("text/plain fields")
            << QByteArray(j("{'mimeType':'text/plain','params':[{'name':'a','value':'1 2'},{'name':'b','value':'='}]}"))
            << QByteArray("a=1 2\r\nb==\r\n") << QByteArray("text/plain") << true;
        QTest::newRow("multipart fields keep their boundary")
            << QByteArray(j("{'mimeType':'multipart/form-data; boundary=XyZ','params':[{'name':'t','value':'v'},"
                          "{'name':'f\\'q','fileName':'a.txt','contentType':'text/plain','value':'hi'}]}"))
            << QByteArray("--XyZ\r\nContent-Disposition: form-data; name=\"t\"\r\n\r\nv\r\n"
                          "--XyZ\r\nContent-Disposition: form-data; name=\"f%22q\"; filename=\"a.txt\"\r\n"
                          "Content-Type: text/plain\r\n\r\nhi\r\n--XyZ--\r\n")
            << QByteArray("multipart/form-data; boundary=XyZ") << true;
        QTest::newRow("multipart fields without a boundary get one")
            << QByteArray(j("{'mimeType':'multipart/form-data','params':[{'name':'t','value':'v'}]}"))
            << QByteArray("------TrailscribeRebuiltBoundary\r\nContent-Disposition: form-data; name=\"t\"\r\n\r\nv\r\n"
                          "------TrailscribeRebuiltBoundary--\r\n")
            << QByteArray("multipart/form-data; boundary=----TrailscribeRebuiltBoundary") << true;
        QTest::newRow("empty text") << QByteArray(j("{'mimeType':'','text':''}")) << QByteArray() << QByteArray() << false;
    }
    void otherProgramsBodies()
    {
        QFETCH(QByteArray, postData);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QFETCH(bool, rebuilt);
        const HarReadResult read = readHar(otherHar(postEntry("http://a.test/f", postData), "Firefox"));
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows.size(), 1);
        const RequestRecord &r = read.rows[0].request;
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.body, body);
        QCOMPARE(r.contentType, contentType);
        QCOMPARE(r.source, BodySource::HarFile);
        QCOMPARE(r.doubt, rebuilt ? QStringLiteral("Read from a HAR file written by Firefox; the body was rebuilt from its fields.")
                                  : QStringLiteral("Read from a HAR file written by Firefox."));
    }

    // Whatever is wrong, nothing is read, and the message names the file and the fault.
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        const QByteArray good = entry("http://a.test/");
        const QByteArray ours = harDocument(harfixture::allKinds());
        QTest::newRow("empty") << QByteArray() << "is not a HAR file: it is empty.";
        QTest::newRow("not JSON") << QByteArray("hello") << "it is not valid JSON (a value was expected at byte 0, not 'h').";
        QTest::newRow("JSON, not an object") << QByteArray("[1, 2]") << "its JSON is not an object.";
        QTest::newRow("no log") << QByteArray(j("{'entries':[]}")) << "it has no \"log\".";
        QTest::newRow("no entries") << QByteArray(j("{'log':{'creator':{'name':'x'}}}")) << "its log has no \"entries\".";
        QTest::newRow("entries not a list") << QByteArray(j("{'log':{'entries':{}}}")) << "\"entries\" is not a list.";
        QTest::newRow("cut short") << ours.left(ours.size() / 2) << "it is cut short (the text ends at byte";
        QTest::newRow("cut inside a string") << otherHar(good).left(50) << "it is cut short";
        QTest::newRow("garbage after") << otherHar(good) + "x" << "more follows its end";
        QTest::newRow("trailing comma") << otherHar(good + ",") << "a value was expected";
        QTest::newRow("bad escape") << otherHar(entry("http://a.test/\\x")) << "unknown escape \\x";
        QTest::newRow("raw control in a string") << otherHar(entry("http://a.test/\t")) << "control";
        QTest::newRow("deep nesting") << QByteArray(j("{'log':{'entries':[],'x':") + QByteArray(100000, '[')) << "nest";
        QTest::newRow("entry not an object") << otherHar(good + ",3") << "entry 2 is not an object.";
        QTest::newRow("no request") << otherHar(j("{'startedDateTime':'2026-03-04T05:06:07Z'}")) << "entry 1 has no request.";
        QTest::newRow("no method") << otherHar(entry("http://a.test/", {}, j("'method':''"))) << "entry 1 has no request method.";
        QTest::newRow("no address, last entry") << otherHar(good + ',' + good + ',' + entry("")) << "entry 3 has no request address.";
        QTest::newRow("address not a URL") << otherHar(entry("not a url")) << "entry 1 has an address that is not a URL: \"not a url\".";
        QTest::newRow("address without scheme") << otherHar(entry("//a.test/x")) << "not a URL";
        QTest::newRow("our address must be text") << QByteArray(ours).replace(j("'url': 'http://h.test/post'"), j("'url': 5"))
                                                  << "entry 2 has no request address.";
        QTest::newRow("no start time") << otherHar(QByteArray(good).replace(j("'startedDateTime':'2026-03-04T05:06:07.089Z',"), ""))
                                       << "entry 1 has no start time (startedDateTime).";
        QTest::newRow("bad start time") << otherHar(QByteArray(good).replace("2026-03-04T05:06:07.089Z", "yesterday"))
                                        << "entry 1 has a start time that is not one: \"yesterday\".";
        QTest::newRow("date without time") << otherHar(QByteArray(good).replace("2026-03-04T05:06:07.089Z", "2026-03-04"))
                                           << "start time that is not one";
        QTest::newRow("bad base64") << otherHar(postEntry("http://a.test/", j("{'text':'AP/+g','encoding':'base64'}")))
                                    << "entry 1 has a body that is not valid base64.";
        QTest::newRow("base64 with a stray character")
            << otherHar(postEntry("http://a.test/", j("{'text':'AP/+gA=*','encoding':'base64'}"))) << "not valid base64";
        QTest::newRow("unknown encoding") << otherHar(postEntry("http://a.test/", j("{'text':'x','encoding':'rot13'}")))
                                          << "encoding this program cannot read: \"rot13\"";
        QTest::newRow("postData not an object") << otherHar(postEntry("http://a.test/", "\"x\"")) << "postData that is not an object";
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("list.har"));
        QVERIFY(writeFile(name, bytes));
        const HarReadResult read = readHarFile(name, [](qint64, qint64) { return true; });
        QVERIFY2(read.error.startsWith(QStringLiteral("\"list.har\" is not a HAR file: ")), qPrintable(read.error));
        QVERIFY2(read.error.contains(fault), qPrintable(read.error));
        QVERIFY(read.rows.isEmpty());
    }

    void missingFile()
    {
        const HarReadResult read = readHarFile(QStringLiteral("/nonexistent/dir/gone.har"));
        QVERIFY2(read.error.startsWith(QStringLiteral("\"gone.har\" cannot be opened: ")), qPrintable(read.error));
        QVERIFY(read.rows.isEmpty());
    }

    // Progress comes often enough for a bar and ends at the total; returning false stops the
    // reading with nothing read.
    void progressAndCancelling()
    {
        QByteArray entries;
        for (int i = 0; i < 30000; ++i)
            entries += (i ? "," : "") + entry("http://a.test/" + QByteArray::number(i));
        const QByteArray document = otherHar(entries);
        QList<std::pair<qint64, qint64>> calls;
        const HarReadResult read = readHar(document, [&calls](qint64 done, qint64 total) {
            calls.append({done, total});
            return true;
        });
        QCOMPARE(read.rows.size(), 30000);
        QVERIFY(calls.size() >= 100);
        QCOMPARE(calls.first(), std::make_pair(qint64(0), qint64(document.size())));
        QCOMPARE(calls.last(), std::make_pair(qint64(document.size()), qint64(document.size())));
        const qint64 oneEntry = entry("http://a.test/99999").size() + 1;
        for (qsizetype i = 1; i < calls.size(); ++i) {
            QCOMPARE(calls[i].second, qint64(document.size()));
            QVERIFY(calls[i].first >= calls[i - 1].first);
            QVERIFY(calls[i].first - calls[i - 1].first <= document.size() / 100 + oneEntry);
        }

        for (const int stopAt : {1, 50}) {
            int call = 0;
            const HarReadResult stopped = readHar(document, [&call, stopAt](qint64, qint64) { return ++call < stopAt; });
            QCOMPARE(call, stopAt);
            QVERIFY(stopped.rows.isEmpty());
            QCOMPARE(stopped.error, QStringLiteral("The document was not read: the reading was cancelled."));
        }
    }

    // A million small entries, as a long browsing session's file: the time and the memory it
    // takes are printed; memory must stay near what the rows and the mapped file need.
    void millionEntries()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("million.har"));
        {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(j("{'log':{'version':'1.2','creator':{'name':'Bench Browser','version':'1'},'entries':["));
            QByteArray block;
            for (int i = 0; i < 1000000; ++i) {
                block += i ? ",\n" : "\n";
                if (i % 10 == 9)
                    block += postEntry("http://h.test/form/" + QByteArray::number(i),
                                       j("{'mimeType':'application/x-www-form-urlencoded','text':'q=") + QByteArray::number(i) + "\"}");
                else
                    block += entry("http://h.test/page/" + QByteArray::number(i), j(",'response':{'status':200},'time':1.5"));
                if (block.size() > (1 << 20)) {
                    f.write(block);
                    block.clear();
                }
            }
            f.write(block + "\n]}}\n");
        }
        const qint64 size = QFileInfo(name).size();
        resetPeak();
        const qint64 before = peakMegabytes();
        QElapsedTimer timer;
        timer.start();
        qint64 calls = 0;
        const HarReadResult read = readHarFile(name, [&calls](qint64, qint64) { return ++calls > 0; });
        const qint64 ms = timer.elapsed();
        const qint64 peak = peakMegabytes();
        qInfo("1,000,000 entries, %lld MB: read in %lld ms, %lld progress calls, peak memory %lld MB (%lld MB before)",
              size >> 20, ms, calls, peak, before);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows.size(), 1000000);
        QCOMPARE(read.rows[999999].url, QByteArray("http://h.test/form/999999"));
        QCOMPARE(read.rows[999999].request.body, QByteArray("q=999999"));
        QCOMPARE(read.rows[3].request.method, QByteArray("GET"));
        QVERIFY(calls >= 100);
        // Building the whole document first took 829 MB for a smaller file of this kind.
        QVERIFY2(peak - before < 600, qPrintable(QStringLiteral("%1 MB").arg(peak - before)));
    }

    // 200 MB of file in a few large bodies, as uploads make them.
    void largeFile()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("large.har"));
        QList<HarRow> rows;
        constexpr int kBodies = 4;
        for (int i = 0; i < kBodies; ++i) {
            QByteArray body(50 << 20, char('a' + i));
            body[i] = '\0';
            rows.append({"http://h.test/upload", harfixture::record("POST", body, "application/octet-stream")});
        }
        QVERIFY(writeFile(name, harDocument(rows)));
        const qint64 size = QFileInfo(name).size();
        rows.clear();
        resetPeak();
        const qint64 before = peakMegabytes();
        QElapsedTimer timer;
        timer.start();
        const HarReadResult read = readHarFile(name);
        const qint64 ms = timer.elapsed();
        const qint64 peak = peakMegabytes();
        qInfo("%d bodies of 50 MB, %lld MB of file: read in %lld ms, peak memory %lld MB (%lld MB before)",
              kBodies, size >> 20, ms, peak, before);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows.size(), kBodies);
        QCOMPARE(read.rows[3].request.body.size(), 50 << 20);
        QCOMPARE(read.rows[3].request.body.at(3), '\0');
        QCOMPARE(read.rows[3].request.body.at(4), 'd');
    }
};

QTEST_GUILESS_MAIN(TstHarReader)
#include "tst_harreader.moc"
