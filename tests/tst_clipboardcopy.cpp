#include "tests/support/cellfixtures.h"
#include "urllist/clipboardcopy.h"
#include "core/rtfplaintext.h"
#include "core/trailscribeerror.h"

#include <QtTest>

// Runs without a GUI application, as a program without a clipboard would.
class TestClipboardCopy : public QObject
{
    Q_OBJECT

private slots:
    void urlListBlock_data();
    void urlListBlock();
    void blockShape_data();
    void blockShape();
    void richTextReading_data();
    void richTextReading();
    void noClipboardToOpen();
};

void TestClipboardCopy::urlListBlock_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("one row, empty POST-DATA") << Rows{{"about:blank", ""}}
                                              << QByteArray("URL\tPOST-DATA\r\nabout:blank\t\r\n");
    QTest::newRow("POST-DATA of two lines")
        << Rows{{"about:blank", "a=1\r\nb=\"2\""}}
        << QByteArray("URL\tPOST-DATA\r\nabout:blank\t\"a=1\nb=\"2\"\"\r\n");
    QTest::newRow("empty list") << Rows{} << QByteArray("URL\tPOST-DATA\r\n\t\r\n");
    QTest::newRow("comma and quote unchanged") << Rows{{"a,b", "say \"hi\", ok"}}
                                               << QByteArray("URL\tPOST-DATA\r\na,b\tsay \"hi\", ok\r\n");
    QTest::newRow("CR alone") << Rows{{"a\rb", "c"}} << QByteArray("URL\tPOST-DATA\r\n\"ab\"\tc\r\n");
    QTest::newRow("LF alone is not a CR") << Rows{{"a\nb", "c"}}
                                          << QByteArray("URL\tPOST-DATA\r\na\nb\tc\r\n");
    QTest::newRow("HTML tags kept") << Rows{{"<b>x</b>", "<script>y</script>"}}
                                    << QByteArray("URL\tPOST-DATA\r\n<b>x</b>\t<script>y</script>\r\n");
    QTest::newRow("rich text cell")
        << Rows{{"u", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello \\b world\\b0\\par}"}}
        << QByteArray("URL\tPOST-DATA\r\nu\tHello world\r\n");
    QTest::newRow("rich text of two paragraphs, CR rule on its reading")
        << Rows{{"{\\rtf1 one\\par two \"q\"\\par}", "x"}}
        << QByteArray("URL\tPOST-DATA\r\n\"one\ntwo \"q\"\"\tx\r\n");
    QTest::newRow("rich text with CR LF in its source")
        << Rows{{"{\\rtf1 one\r\n two}", "x"}} << QByteArray("URL\tPOST-DATA\r\none two\tx\r\n");
    QTest::newRow("{\\ in text that is no rich text")
        << Rows{{"q={\\\"a\\\":1}", "p"}} << QByteArray("URL\tPOST-DATA\r\nq={\\\"a\\\":1}\tp\r\n");
    QTest::newRow("{\\ and a CR in text that is no rich text")
        << Rows{{"a{\\b\r\nc", "p"}} << QByteArray("URL\tPOST-DATA\r\n\"a{\\b\nc\"\tp\r\n");
    QTest::newRow("bytes unchanged") << Rows{{QByteArray("\xe9\x00z", 3), "\xff"}}
                                     << QByteArray("URL\tPOST-DATA\r\n") + QByteArray("\xe9\x00z\t\xff\r\n", 7);
}

void TestClipboardCopy::urlListBlock()
{
    QFETCH(Rows, rows);
    QFETCH(QByteArray, expected);
    QCOMPARE(clipboardBlockText(urlList(rows)), expected);
}

void TestClipboardCopy::blockShape_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("single row: no line break") << Rows{{"a", "b", "c"}} << QByteArray("a\tb\tc");
    QTest::newRow("single cell") << Rows{{"a\r\n"}} << QByteArray("\"a\n\"");
    QTest::newRow("three columns") << Rows{{"a", "", "c"}, {"", "", ""}}
                                   << QByteArray("a\t\tc\r\n\t\t\r\n");
    QTest::newRow("no rows") << Rows{} << QByteArray();
    QTest::newRow("rows without columns") << Rows{{}, {}} << QByteArray("\r\n\r\n");
}

void TestClipboardCopy::blockShape()
{
    QFETCH(Rows, rows);
    QFETCH(QByteArray, expected);
    CellSource cells = cellsOf(rows);
    cells.fixedRows = 0;
    QCOMPARE(clipboardBlockText(cells), expected);
}

void TestClipboardCopy::richTextReading_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("tables, info and ignorable groups dropped")
        << QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Courier;}}"
                      "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
                      "{\\info{\\title T}{\\author A}}{\\*\\generator Gen 1.0;}"
                      "\\pard\\plain\\f0\\fs20 Text{\\*\\unknowndest hidden}\\cf1  red\\par}")
        << QByteArray("Text red");
    QTest::newRow("escaped symbols") << QByteArray("{\\rtf1 a\\\\b\\{c\\}d}") << QByteArray("a\\b{c}d");
    QTest::newRow("hex bytes as Windows-1252")
        << QByteArray("{\\rtf1\\ansi caf\\'e9 \\'80 \\'93x\\'94}")
        << QByteArray("caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d");
    QTest::newRow("unicode with one fallback character")
        << QByteArray("{\\rtf1 \\u8364?5 \\u-4064?}") << QByteArray("\xe2\x82\xac" "5 \xef\x80\xa0");
    QTest::newRow("unicode with \\uc2 fallback")
        << QByteArray("{\\rtf1\\uc2 \\u233\\'65\\'27x{\\uc0 \\u233 y}}") << QByteArray("\xc3\xa9x\xc3\xa9y");
    QTest::newRow("breaks and tabs")
        << QByteArray("{\\rtf1 a\\tab b\\line c\\par d\\par\\par}") << QByteArray("a\tb\r\nc\r\nd");
    QTest::newRow("source line breaks are no text")
        << QByteArray("{\\rtf1 one\r\ntwo\ntwo}") << QByteArray("onetwotwo");
    QTest::newRow("control word ends at a space or a non-letter")
        << QByteArray("{\\rtf1\\b bold\\b0 plain\\fs24;x}") << QByteArray("boldplain;x");
    QTest::newRow("picture and binary data skipped")
        << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e47}b{\\*\\blob\\bin3 {}}}c}") << QByteArray("abc");
    QTest::newRow("field instruction skipped, result kept")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://x/\"}{\\fldrslt link}}}")
        << QByteArray("link");
    QTest::newRow("special characters")
        << QByteArray("{\\rtf1 \\emdash\\bullet\\~\\_}")
        << QByteArray("\xe2\x80\x94\xe2\x80\xa2\xc2\xa0-");
    QTest::newRow("unbalanced braces tolerated") << QByteArray("{\\rtf1 a}}b{c") << QByteArray("abc");
    QTest::newRow("cut off in a control word") << QByteArray("{\\rtf1 a\\'e") << QByteArray("a");
    QTest::newRow("leading white space") << QByteArray(" \r\n{\\rtf1 x}") << QByteArray("x");
    QTest::newRow("not rich text: unchanged") << QByteArray("{\\b x}\r\n") << QByteArray("{\\b x}\r\n");
}

void TestClipboardCopy::richTextReading()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QByteArray, expected);
    QCOMPARE(rtfToPlainText(rtf), expected);
}

void TestClipboardCopy::noClipboardToOpen()
{
    QString message;
    try {
        SetClipboardText("text");
    } catch (const TrailscribeError &error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("Cannot open clipboard"));
}

QTEST_GUILESS_MAIN(TestClipboardCopy)
#include "tst_clipboardcopy.moc"
