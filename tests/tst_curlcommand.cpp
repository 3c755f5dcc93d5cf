// "Copy As cURL": the command line of a recorded request, run with the real curl against the
// local server, must send the recorded body byte for byte.
#include "support/httpserver.h"
#include "core/curlcommand.h"
#include "core/requestrecord.h"
#include "webview/formencoder.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

Q_DECLARE_METATYPE(RequestRecord)

namespace {

RequestRecord post(const QByteArray &body, const QByteArray &contentType)
{
    RequestRecord r;
    r.method = "POST";
    r.body = body;
    r.contentType = contentType;
    r.recorded = QDateTime::currentDateTimeUtc();
    r.window = RequestWindow::Main;
    return r;
}

// A form body as the capture records it, with the Content-Type that goes with it.
RequestRecord formPost(const QList<FormEntry> &entries, FormEnctype enctype, const QString &charset)
{
    const QByteArray boundary = makeMultipartBoundary();
    return post(encodeFormBody(entries, enctype, charset, boundary), formContentType(enctype, boundary));
}

QByteArray allBytes()
{
    QByteArray b;
    for (int i = 0; i < 256; ++i)
        b += char(i);
    return b;
}

} // namespace

class TestCurlCommand : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void multipartType_data();
    void multipartType();
    void commandShape_data();
    void commandShape();
    void sendsTheRecordedBytes_data();
    void sendsTheRecordedBytes();

private:
    HttpServer m_server;
};

void TestCurlCommand::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable("curl").isEmpty(), "curl is needed (scripts/install-deps installs it)");
    QVERIFY2(!QStandardPaths::findExecutable("bash").isEmpty(), "bash is needed");
    m_server.setHandler([](const HttpRequest &) { return HttpResponse::html("ok"); });
    QVERIFY(m_server.listen());
}

void TestCurlCommand::multipartType_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::newRow("one part") << QByteArray("--AbC\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--AbC--\r\n")
                              << QByteArray("multipart/form-data; boundary=AbC");
    QTest::newRow("no parts") << QByteArray("--AbC--\r\n") << QByteArray("multipart/form-data; boundary=AbC");
    QTest::newRow("engine's boundary")
        << QByteArray("------WebKitFormBoundaryx1Y2\r\n\r\n\r\n------WebKitFormBoundaryx1Y2--\r\n")
        << QByteArray("multipart/form-data; boundary=----WebKitFormBoundaryx1Y2");
    QTest::newRow("urlencoded") << QByteArray("a=1&b=2") << QByteArray();
    QTest::newRow("text starting with dashes") << QByteArray("--a=1\r\nb=2\r\n") << QByteArray();
    QTest::newRow("closed by another boundary") << QByteArray("--AbC\r\n\r\n\r\n--XyZ--\r\n") << QByteArray();
    QTest::newRow("not closed") << QByteArray("--AbC\r\n\r\nx") << QByteArray();
    QTest::newRow("space in boundary") << QByteArray("--A C\r\n\r\n\r\n--A C--\r\n") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestCurlCommand::multipartType()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QCOMPARE(multipartContentType(body), contentType);
}

// The shapes a reader sees; that each is exact is what sendsTheRecordedBytes shows.
void TestCurlCommand::commandShape_data()
{
    QTest::addColumn<RequestRecord>("request");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("command");
    RequestRecord get;
    get.method = "GET";
    QTest::newRow("GET") << get << QByteArray("http://a.test/x?y=1") << QByteArray("curl 'http://a.test/x?y=1'");
    QTest::newRow("row without a request") << RequestRecord() << QByteArray("http://a.test/")
                                           << QByteArray("curl 'http://a.test/'");
    QTest::newRow("quote and high byte in the address")
        << get << QByteArray("http://a.test/it's\xe9") << QByteArray("curl $'http://a.test/it\\'s\\xe9'");
    QTest::newRow("brackets in the address")
        << get << QByteArray("http://a.test/?a[]=1") << QByteArray("curl --globoff 'http://a.test/?a[]=1'");
    QTest::newRow("urlencoded")
        << post("a=1&b=%27", "application/x-www-form-urlencoded") << QByteArray("http://a.test/")
        << QByteArray("curl -H 'Content-Type: application/x-www-form-urlencoded' --data-binary 'a=1&b=%27' 'http://a.test/'");
    QTest::newRow("unknown type, line breaks and a backslash")
        << post("a\r\n\\b", QByteArray()) << QByteArray("http://a.test/")
        << QByteArray("curl -H 'Content-Type:' --data-binary $'a\\x0d\\x0a\\\\b' 'http://a.test/'");
    QTest::newRow("zero byte")
        << post(QByteArray("a\0%", 3), "text/plain") << QByteArray("http://a.test/")
        << QByteArray("printf '\\x61\\x00\\x25' | curl -H 'Content-Type: text/plain' --data-binary @- 'http://a.test/'");
}

void TestCurlCommand::commandShape()
{
    QFETCH(RequestRecord, request);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, command);
    QCOMPARE(curlCommand(request, url), command);
}

void TestCurlCommand::sendsTheRecordedBytes_data()
{
    QTest::addColumn<RequestRecord>("request");
    QTest::addColumn<QByteArray>("target");

    const QList<FormEntry> text{FormEntry::text("name", QString::fromUtf8("J\u00f6rg O'Neil & \"co\"")),
                                FormEntry::text("note", QString::fromUtf8("line 1\nline 2\\ $HOME `x` !x %s"))};
    QTest::newRow("urlencoded") << formPost(text, FormEnctype::UrlEncoded, "UTF-8") << QByteArray("/sink/u?x=1");
    QTest::newRow("text/plain") << formPost(text, FormEnctype::TextPlain, "UTF-8") << QByteArray("/sink/t");
    QTest::newRow("windows-1252") << formPost({FormEntry::text("w", QString::fromUtf8("\u20ac \u00e9\u00ff \u201cq\u201d"))},
                                              FormEnctype::TextPlain, "windows-1252")
                                  << QByteArray("/sink/w");
    QTest::newRow("multipart with every byte in a file")
        << formPost({FormEntry::text("a", "1"), FormEntry::file("f", "bytes.bin", "application/octet-stream", allBytes())},
                    FormEnctype::Multipart, "UTF-8")
        << QByteArray("/sink/m");
    QTest::newRow("zero bytes, type unknown") << post(QByteArray("\0a=1\0\0b\xff\0", 9), QByteArray()) << QByteArray("/sink/z");
    QTest::newRow("starts with @") << post("@/etc/passwd", "text/plain") << QByteArray("/sink/at");
    QTest::newRow("larger than one argument holds")
        << post(QByteArray(100 * 1024, '\x80') + allBytes(), "application/octet-stream") << QByteArray("/sink/big");
    QTest::newRow("empty body") << post(QByteArray(), "application/x-www-form-urlencoded") << QByteArray("/sink/e");
    RequestRecord get;
    get.method = "GET";
    QTest::newRow("GET with brackets and a quote") << get << QByteArray("/sink/g?a[0]=it's&b={1}");
}

void TestCurlCommand::sendsTheRecordedBytes()
{
    QFETCH(RequestRecord, request);
    QFETCH(QByteArray, target);
    m_server.clearRequests();
    const QByteArray command = curlCommand(request, m_server.urlString(target).toLatin1()) + " -s -o /dev/null";

    // The command goes to bash as a pasted line would, on its input: as an argument of bash -c
    // the largest would pass the kernel's limit on one argument.
    QProcess bash;
    bash.start("bash", {"-s"});
    QVERIFY(bash.waitForStarted());
    bash.write(command + '\n');
    bash.closeWriteChannel();
    QVERIFY(bash.waitForFinished(30000));
    QVERIFY2(bash.exitStatus() == QProcess::NormalExit && bash.exitCode() == 0, bash.readAllStandardError().constData());

    const QList<HttpRequest> got = m_server.requests();
    QCOMPARE(got.size(), 1);
    const HttpRequest &r = got.first();
    QCOMPARE(r.method, request.method == "POST" ? QByteArray("POST") : QByteArray("GET"));
    QCOMPARE(r.target, target);
    QCOMPARE(r.header("Content-Type"), request.contentType);
    QCOMPARE(r.body.size(), request.body.size());
    QCOMPARE(r.body, request.body);
}


QTEST_GUILESS_MAIN(TestCurlCommand)
#include "tst_curlcommand.moc"
