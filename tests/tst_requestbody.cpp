// Reading recorded bodies for the request window: form fields from exact bytes, the multipart
// parts, the readable text and the hex lines.
#include "core/requestbody.h"
#include "webview/formencoder.h"

#include <QtTest>

using Fields = QList<FormField>;
Q_DECLARE_METATYPE(FormField)

namespace {
FormField field(const QString &name, const QString &value) { return {name, value}; }
} // namespace

class TstRequestBody : public QObject
{
    Q_OBJECT
private slots:
    void contentType_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("media");
        QTest::addColumn<QByteArray>("boundary");
        QTest::addColumn<QString>("charset");
        QTest::newRow("urlencoded") << QByteArray("application/x-www-form-urlencoded") << QByteArray("application/x-www-form-urlencoded")
                                    << QByteArray() << QString();
        QTest::newRow("multipart") << QByteArray("Multipart/Form-Data; boundary=----WebKitFormBoundaryAb12")
                                   << QByteArray("multipart/form-data") << QByteArray("----WebKitFormBoundaryAb12")
                                   << QString();
        QTest::newRow("quoted, any case") << QByteArray("text/plain ; Charset=\"iso-8859-1\"; BOUNDARY=\"a;b\"")
                                          << QByteArray("text/plain") << QByteArray("a;b") << QStringLiteral("ISO-8859-1");
        QTest::newRow("unknown charset") << QByteArray("text/plain; charset=no-such-set") << QByteArray("text/plain")
                                         << QByteArray() << QString();
        QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QString();
    }
    void contentType()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, media);
        QFETCH(QByteArray, boundary);
        QFETCH(QString, charset);
        QCOMPARE(contentMediaType(contentType), media);
        QCOMPARE(contentTypeParameter(contentType, "boundary"), boundary);
        QCOMPARE(bodyCharset(contentType), charset);
    }

    void urlEncoded_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<Fields>("fields");
        QTest::newRow("plus, escapes, bad escapes") << QByteArray("a=1+2&b=%41%zz%4&c") << QStringLiteral("UTF-8")
            << Fields{field("a", "1 2"), field("b", "A%zz%4"), field("c", "")};
        QTest::newRow("empty pairs, '=' in a value") << QByteArray("&&a=&=v&x=y=z&") << QStringLiteral("UTF-8")
            << Fields{field("a", ""), field("", "v"), field("x", "y=z")};
        QTest::newRow("escaped separators") << QByteArray("k%26%3D=%2B%26") << QStringLiteral("UTF-8")
            << Fields{field("k&=", "+&")};
        QTest::newRow("utf-8") << QByteArray("n%C3%A9=%E2%82%AC") << QStringLiteral("UTF-8")
            << Fields{field(QStringLiteral("n\u00e9"), QStringLiteral("\u20ac"))};
        QTest::newRow("windows-1252") << QByteArray("n%E9=%80") << QStringLiteral("windows-1252")
            << Fields{field(QStringLiteral("n\u00e9"), QStringLiteral("\u20ac"))};
        QTest::newRow("bad utf-8") << QByteArray("v=%FF") << QStringLiteral("UTF-8")
            << Fields{field("v", QStringLiteral("\ufffd"))};
        QTest::newRow("empty body") << QByteArray() << QStringLiteral("UTF-8") << Fields{};
        // No charset named: each name and value is UTF-8 where it is exactly that, else Latin-1,
        // so no byte is lost (the HAR file's params and the request window read alike).
        QTest::newRow("unnamed, utf-8") << QByteArray("n%C3%A9=%E2%82%AC") << QString()
            << Fields{field(QStringLiteral("n\u00e9"), QStringLiteral("\u20ac"))};
        QTest::newRow("unnamed, not utf-8") << QByteArray("n%C3%A9=%E9%80") << QString()
            << Fields{field(QStringLiteral("n\u00e9"), QStringLiteral("\u00e9\u0080"))};
        QTest::newRow("unnamed, byte order mark") << QByteArray("b=%EF%BB%BFx") << QString()
            << Fields{field("b", QStringLiteral("\u00ef\u00bb\u00bfx"))};
    }
    void urlEncoded()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, charset);
        QFETCH(Fields, fields);
        QCOMPARE(parseUrlEncoded(body, charset), fields);
    }

    void textPlain_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<Fields>("fields");
        QTest::newRow("lines") << QByteArray("a=1\r\nb=x=y\r\nnoeq\r\n") << QStringLiteral("UTF-8")
            << Fields{field("a", "1"), field("b", "x=y"), field("noeq", "")};
        QTest::newRow("last line open, bare LF kept") << QByteArray("a=1\nb\r\nc=%41+") << QStringLiteral("UTF-8")
            << Fields{field("a", "1\nb"), field("c", "%41+")};
        QTest::newRow("empty line") << QByteArray("a=1\r\n\r\n") << QStringLiteral("UTF-8")
            << Fields{field("a", "1"), field("", "")};
        QTest::newRow("windows-1252") << QByteArray("n\xe9=\x80\r\n") << QStringLiteral("windows-1252")
            << Fields{field(QStringLiteral("n\u00e9"), QStringLiteral("\u20ac"))};
    }
    void textPlain()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, charset);
        QFETCH(Fields, fields);
        QCOMPARE(parseTextPlain(body, charset), fields);
    }

    // What the engine's encoding of a form gives, read back, is the form's entries.
    void formBodiesReadBack_data()
    {
        QTest::addColumn<int>("enctype");
        QTest::addColumn<QString>("charset");
        QTest::newRow("urlencoded utf-8") << int(FormEnctype::UrlEncoded) << QStringLiteral("UTF-8");
        QTest::newRow("urlencoded windows-1252") << int(FormEnctype::UrlEncoded) << QStringLiteral("windows-1252");
        QTest::newRow("text/plain utf-8") << int(FormEnctype::TextPlain) << QStringLiteral("UTF-8");
        QTest::newRow("text/plain windows-1252") << int(FormEnctype::TextPlain) << QStringLiteral("windows-1252");
    }
    void formBodiesReadBack()
    {
        QFETCH(int, enctype);
        QFETCH(QString, charset);
        const QList<FormEntry> entries{FormEntry::text("a b", "x&y=z+%25 %"), FormEntry::text("", "empty name"),
                                       FormEntry::text(QStringLiteral("\u00e9"), QStringLiteral("\u00e0\u00fc")),
                                       FormEntry::text("last", "")};
        const QByteArray body = encodeFormBody(entries, FormEnctype(enctype), charset, {});
        const Fields got = FormEnctype(enctype) == FormEnctype::UrlEncoded ? parseUrlEncoded(body, charset)
                                                                           : parseTextPlain(body, charset);
        QCOMPARE(got.size(), entries.size());
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(got.at(i).name, entries.at(i).name);
            QCOMPARE(got.at(i).value, entries.at(i).value);
        }
    }

    void multipart()
    {
        // A text field, then a binary file whose bytes hold a line that nearly is the delimiter.
        const QByteArray file("\x00\x01\xff\r\n--XyY\r\n--Xy", 16);
        const QByteArray body = QByteArray("--XyZ\r\n"
                                           "Content-Disposition: form-data; name=\"t\"\r\n\r\n"
                                           "hello\r\nworld\r\n"
                                           "--XyZ\r\n"
                                           "content-disposition: form-data; name=\"f\"; filename=\"a;b.bin\"\r\n"
                                           "Content-Type: application/octet-stream\r\n\r\n")
            + file + "\r\n--XyZ\r\n"
                     "Content-Disposition: form-data; name=\"empty\"; filename=\"\"\r\n\r\n"
                     "\r\n--XyZ--\r\n";
        const MultipartBody parsed = parseMultipart(body, "XyZ");
        QVERIFY(parsed.complete);
        QCOMPARE(parsed.parts.size(), 3);
        QCOMPARE(parsed.parts.at(0), (MultipartPart{"t", {}, false, {}, "hello\r\nworld"}));
        QCOMPARE(parsed.parts.at(1), (MultipartPart{"f", "a;b.bin", true, "application/octet-stream", file}));
        QCOMPARE(parsed.parts.at(2), (MultipartPart{"empty", "", true, {}, {}}));

        // Cut short inside the second part: the first is read, the body is not complete.
        const MultipartBody cut = parseMultipart(body.left(body.indexOf("hello") + 60), "XyZ");
        QVERIFY(!cut.complete);
        QCOMPARE(cut.parts.size(), 1);
        QCOMPARE(cut.parts.at(0).data, QByteArray("hello\r\nworld"));
        // Another boundary, or none, reads nothing.
        QVERIFY(parseMultipart(body, "Xy").parts.isEmpty());
        QVERIFY(!parseMultipart(body, "Xy").complete);
        QVERIFY(parseMultipart(body, {}).parts.isEmpty());
        // A form without entries sends the closing line alone.
        const MultipartBody none = parseMultipart("--XyZ--\r\n", "XyZ");
        QVERIFY(none.complete);
        QVERIFY(none.parts.isEmpty());
        // Bytes after the closing delimiter are not part of a well-formed body.
        QVERIFY(!parseMultipart("--XyZ--\r\nmore", "XyZ").complete);
    }

    void multipartOfTheEncoder()
    {
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all += char(i);
        const QList<FormEntry> entries{FormEntry::text("note", "line 1\r\nline 2"),
                                       FormEntry::file("upload", QStringLiteral("b\u00e4r.bin"), "application/x-thing", all),
                                       FormEntry::file("none", "", "", {})};
        const QByteArray boundary = makeMultipartBoundary();
        const QByteArray body = encodeMultipart(entries, QStringLiteral("UTF-8"), boundary);
        const MultipartBody parsed = parseMultipart(body, boundary);
        QVERIFY(parsed.complete);
        QCOMPARE(parsed.parts.size(), 3);
        QCOMPARE(parsed.parts.at(0).data, QByteArray("line 1\r\nline 2"));
        QCOMPARE(parsed.parts.at(1).name, QByteArray("upload"));
        QCOMPARE(decodeInCharset(parsed.parts.at(1).fileName, QStringLiteral("UTF-8")), QStringLiteral("b\u00e4r.bin"));
        QCOMPARE(parsed.parts.at(1).contentType, QByteArray("application/x-thing"));
        QCOMPARE(parsed.parts.at(1).data, all);
        QVERIFY(parsed.parts.at(2).hasFileName);
        QVERIFY(parsed.parts.at(2).data.isEmpty());
    }

    void readable()
    {
        const QByteArray bytes("a\r\nb\nc\rd\te\0f\x1f\x7f\x80\xff\\x41\r\r\n", 23);
        QCOMPARE(readableBytes(bytes), QStringLiteral("a\nb\nc\u240dd\u2409e\u2400f\u241f\u2421\\x80\\xFF\\x41\u240d\n"));
        QCOMPARE(readableBytes({}), QString());
    }

    void hexLines()
    {
        QByteArray b;
        for (int i = 0; i < 65; ++i)
            b += char(i * 4);
        QCOMPARE(hexPreview(b.left(3)), QStringLiteral("00 04 08"));
        const QString full = hexPreview(b.left(64));
        QCOMPARE(full.size(), 64 * 3 - 1);
        QVERIFY(full.endsWith(QStringLiteral("F8 FC")));
        QCOMPARE(hexPreview(b), full + QStringLiteral(" \u2026"));
        QCOMPARE(hexPreview({}), QString());

        QCOMPARE(hexOffsetText(0x1a2b30), QStringLiteral("001A2B30"));
        QCOMPARE(hexBytesText("A\0\xff", 3, 4), QStringLiteral("41 00 FF   "));
        QCOMPARE(hexAsciiText("A\0\xff~ ", 5), QStringLiteral("A..~ "));
    }
};

QTEST_APPLESS_MAIN(TstRequestBody)
#include "tst_requestbody.moc"
