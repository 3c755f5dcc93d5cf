#include "webview/formencoder.h"
#include "core/requestbody.h"
#include "core/requestrecord.h"

#include <QtTest>

using Entries = QList<FormEntry>;

// A byte literal that may hold NUL bytes.
template <std::size_t N>
static QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}
Q_DECLARE_METATYPE(FormEntry)

class TestFormEncoder : public QObject
{
    Q_OBJECT
private slots:
    void urlEncoded_data();
    void urlEncoded();
    void textPlain();
    void multipart_data();
    void multipart();
    void submissionCharset_data();
    void submissionCharset();
    void unencodableCharacters_data();
    void unencodableCharacters();
    void boundary();
};

void TestFormEncoder::urlEncoded_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("safe and unsafe ascii")
        << Entries{FormEntry::text("a b", "x*-._~!'()&=+%/?")} << "UTF-8"
        << QByteArray("a+b=x*-._%7E%21%27%28%29%26%3D%2B%25%2F%3F");
    QTest::newRow("several entries, empty ones")
        << Entries{FormEntry::text("a", "1"), FormEntry::text("", ""), FormEntry::text("b", "2")} << "UTF-8"
        << QByteArray("a=1&=&b=2");
    QTest::newRow("line breaks become CR LF")
        << Entries{FormEntry::text("n\nm", "1\r2\n3\r\n4\n\r5")} << "UTF-8"
        << QByteArray("n%0D%0Am=1%0D%0A2%0D%0A3%0D%0A4%0D%0A%0D%0A5");
    QTest::newRow("NUL and controls")
        << Entries{FormEntry::text(QString(QChar(0)) + "x", QStringLiteral("\t\x01"))} << "UTF-8"
        << QByteArray("%00x=%09%01");
    QTest::newRow("utf-8")
        << Entries{FormEntry::text(QStringLiteral("é"), QStringLiteral("日€😀"))} << "UTF-8"
        << QByteArray("%C3%A9=%E6%97%A5%E2%82%AC%F0%9F%98%80");
    QTest::newRow("windows-1252 and its high half")
        << Entries{FormEntry::text("k", QStringLiteral("é€ÿ\u0081"))} << "windows-1252"
        << QByteArray("k=%E9%80%FF%81");
    QTest::newRow("windows-1252 cannot hold it")
        << Entries{FormEntry::text("k", QStringLiteral("a日😀"))} << "windows-1252"
        << QByteArray("k=a%26%2326085%3B%26%23128512%3B");
    QTest::newRow("shift_jis")
        << Entries{FormEntry::text(QStringLiteral("名"), QStringLiteral("日本ｱ€"))} << "Shift_JIS"
        << QByteArray("%96%BC=%93%FA%96%7B%B1%26%238364%3B");
    QTest::newRow("a file is sent as its name")
        << Entries{FormEntry::file("f", "a b.txt", "text/plain", "contents")} << "UTF-8"
        << QByteArray("f=a+b.txt");
}

void TestFormEncoder::urlEncoded()
{
    QFETCH(Entries, entries);
    QFETCH(QString, charset);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodeUrlEncoded(entries, charset), expected);
    QCOMPARE(encodeFormBody(entries, FormEnctype::UrlEncoded, charset, "unused"), expected);
}

void TestFormEncoder::textPlain()
{
    const Entries entries{FormEntry::text("a b", "1&2=3"), FormEntry::text("t", "l1\nl2\rl3"),
                          FormEntry::text(QStringLiteral("é"), QStringLiteral("日")),
                          FormEntry::file("f", "x.bin", "", "bytes")};
    QCOMPARE(encodeTextPlain(entries, "UTF-8"),
             QByteArray("a b=1&2=3\r\nt=l1\r\nl2\r\nl3\r\n\xC3\xA9=\xE6\x97\xA5\r\nf=x.bin\r\n"));
    QCOMPARE(encodeFormBody(entries, FormEnctype::TextPlain, "windows-1252", "unused"),
             QByteArray("a b=1&2=3\r\nt=l1\r\nl2\r\nl3\r\n\xE9=&#26085;\r\nf=x.bin\r\n"));
    QCOMPARE(encodeTextPlain({}, "UTF-8"), QByteArray());
}

void TestFormEncoder::multipart_data()
{
    QTest::addColumn<FormEntry>("entry");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QByteArray>("part");

    QTest::newRow("text") << FormEntry::text("a", "1") << "UTF-8"
                          << QByteArray("Content-Disposition: form-data; name=\"a\"\r\n\r\n1");
    QTest::newRow("name with quote, CR, LF, NUL, apostrophe, backslash")
        << FormEntry::text(QStringLiteral("q\"r\rl\nz") + QChar(0) + "'\\", "v") << "UTF-8"
        << raw("Content-Disposition: form-data; name=\"q%22r%0D%0Al%0D%0Az\0'\\\"\r\n\r\nv");
    QTest::newRow("value line breaks, raw otherwise")
        << FormEntry::text("t", "x\ny\r\nz\r\"") << "UTF-8"
        << QByteArray("Content-Disposition: form-data; name=\"t\"\r\n\r\nx\r\ny\r\nz\r\n\"");
    QTest::newRow("file keeps its bytes, file name not normalised")
        << FormEntry::file("f", "b\nc\r\"d\".txt", "text/plain", raw("\x00\xFF\r\n\x80")) << "windows-1252"
        << raw("Content-Disposition: form-data; name=\"f\"; filename=\"b%0Ac%0D%22d%22.txt\"\r\n"
               "Content-Type: text/plain\r\n\r\n\x00\xFF\r\n\x80");
    QTest::newRow("empty file input")
        << FormEntry::file("f", "", "", {}) << "UTF-8"
        << QByteArray("Content-Disposition: form-data; name=\"f\"; filename=\"\"\r\n"
                      "Content-Type: application/octet-stream\r\n\r\n");
    QTest::newRow("names and values in the charset")
        << FormEntry::file(QStringLiteral("名"), QStringLiteral("日€.txt"), "image/png", "P") << "Shift_JIS"
        << QByteArray("Content-Disposition: form-data; name=\"\x96\xBC\"; filename=\"\x93\xFA&#8364;.txt\"\r\n"
                      "Content-Type: image/png\r\n\r\nP");
}

void TestFormEncoder::multipart()
{
    QFETCH(FormEntry, entry);
    QFETCH(QString, charset);
    QFETCH(QByteArray, part);
    const QByteArray b = "----WebKitFormBoundaryABCDEFGHIJKLMNOP";
    const QByteArray expected = "--" + b + "\r\n" + part + "\r\n" + "--" + b + "\r\nContent-Disposition: form-data; name=\"z\"\r\n\r\nlast\r\n--" + b + "--\r\n";
    const QByteArray body = encodeFormBody({entry, FormEntry::text("z", "last")}, FormEnctype::Multipart, charset, b);
    QCOMPARE(body, expected);
    QCOMPARE(contentTypeParameter(multipartContentType(body), "boundary"), b);
}

void TestFormEncoder::submissionCharset_data()
{
    QTest::addColumn<QString>("acceptCharset");
    QTest::addColumn<QString>("documentCharset");
    QTest::addColumn<QString>("expected");
    QTest::newRow("document") << "" << "windows-1252" << "windows-1252";
    QTest::newRow("first known label wins") << "bogus, latin1 utf-8" << "UTF-8" << "windows-1252";
    QTest::newRow("labels any case, commas") << "x-nothing,SJIS" << "UTF-8" << "Shift_JIS";
    QTest::newRow("no known label") << "bogus nothing" << "EUC-JP" << "EUC-JP";
    QTest::newRow("utf-16 submits as utf-8") << "utf-16le" << "windows-1252" << "UTF-8";
    QTest::newRow("unknown document charset") << "" << "" << "UTF-8";
}

void TestFormEncoder::submissionCharset()
{
    QFETCH(QString, acceptCharset);
    QFETCH(QString, documentCharset);
    QFETCH(QString, expected);
    QCOMPARE(formSubmissionCharset(acceptCharset, documentCharset), expected);
}

void TestFormEncoder::unencodableCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("latin1 label means windows-1252") << QStringLiteral("€") << "ISO-8859-1" << QByteArray("\x80");
    QTest::newRow("astral as one entity") << QStringLiteral("a😀b") << "windows-1251" << QByteArray("a&#128512;b");
    QTest::newRow("cyrillic") << QStringLiteral("Жж€") << "windows-1251" << QByteArray("\xC6\xE6\x88");
    QTest::newRow("iso-2022-jp shifts back around an entity")
        << QStringLiteral("日€本") << "ISO-2022-JP" << QByteArray("\x1B$BF|\x1B(B&#8364;\x1B$BK\\\x1B(B");
    QTest::newRow("euc-kr") << QStringLiteral("한") << "EUC-KR" << QByteArray("\xC7\xD1");
}

void TestFormEncoder::unencodableCharacters()
{
    QFETCH(QString, text);
    QFETCH(QString, charset);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodeInCharset(text, charset), expected);
}

void TestFormEncoder::boundary()
{
    const QByteArray a = makeMultipartBoundary();
    QVERIFY(QRegularExpression("^----WebKitFormBoundary[A-Za-z0-9]{16}$").match(QString::fromLatin1(a)).hasMatch());
    QVERIFY(a != makeMultipartBoundary());
    QCOMPARE(contentTypeParameter(multipartContentType("a=1"), "boundary"), QByteArray());
    // A form with no entries: the closing line alone, as the engine sends it.
    const QByteArray empty = encodeFormBody({}, FormEnctype::Multipart, QStringLiteral("UTF-8"), a);
    QCOMPARE(empty, "--" + a + "--\r\n");
    QCOMPARE(contentTypeParameter(multipartContentType(empty), "boundary"), a);
}

QTEST_GUILESS_MAIN(TestFormEncoder)
#include "tst_formencoder.moc"
