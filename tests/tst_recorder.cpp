#include "urllist/listgrid.h"
#include "app/recorder.h"

#include <QTest>

class TestRecorder : public QObject
{
    Q_OBJECT
private slots:
    void scriptTest_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("script");
        QTest::newRow("lower") << QByteArray("javascript:void(0)") << true;
        QTest::newRow("mixed") << QByteArray("JavaScript:go()") << true;
        QTest::newRow("exactly ten") << QByteArray("JAVASCRIPT") << true;
        QTest::newRow("nine") << QByteArray("javascrip") << false;
        QTest::newRow("short") << QByteArray("java") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("leading space") << QByteArray(" javascript:x") << false;
        QTest::newRow("web address") << QByteArray("http://javascript.example/") << false;
        QTest::newRow("only a-z folded") << QByteArray("javascr\xc4\xb1pt:") << false;
    }
    void scriptTest()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, script);
        QCOMPARE(isScriptAddress(text), script);
        QCOMPARE(isScriptAddress(QString::fromUtf8(text)), script);
    }

    void wideTextNotFoldedBeyondAscii()
    {
        // U+0131 (dotless i) upper-cases to I in some folds; only a to z may be folded.
        QVERIFY(!isScriptAddress(QStringLiteral("javascr\u0131pt:x")));
        QVERIFY(!isScriptAddress(QStringLiteral("\uff4aavascript:x")));
    }

    void postText_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("dropped");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("trailing zero") << QByteArray("a=1&b=2\0", 8) << QByteArray("a=1&b=2") << QByteArray("a=1&b=2\0", 8);
        QTest::newRow("zeros only") << QByteArray("\0\0\0", 3) << QByteArray() << QByteArray("\0\0\0", 3);
        QTest::newRow("inner zero") << QByteArray("x\0y", 3) << QByteArray("xy") << QByteArray("x\0y", 3);
        QTest::newRow("high bytes untouched") << QByteArray("%\xff\x80+") << QByteArray("%\xff\x80+") << QByteArray("%\xff\x80+");
        QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
    }
    void postText()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, dropped);
        QFETCH(QByteArray, kept);
        const QByteArray d = postTextFromBody(body, ZeroBytes::Drop);
        QCOMPARE(d, dropped);
        QCOMPARE(d.size(), dropped.size());
        QCOMPARE(postTextFromBody(body, ZeroBytes::Keep), kept);
    }

    void lateBodiesFindTheirRowAfterOtherRowsWentAway()
    {
        TListGrid list;
        const quint64 first = appendToLastRow(list, "http://a.test/");
        const quint64 second = appendToLastRow(list, "http://b.test/");
        const quint64 third = appendToLastRow(list, "http://c.test/");
        QCOMPARE(list.RowCount(), 4);
        auto late = PostDataRef::create();
        auto gone = PostDataRef::create();
        int lateWrites = 0;
        writePostData(list, third, late, ZeroBytes::Drop, [&] { ++lateWrites; });
        writePostData(list, second, gone, ZeroBytes::Keep);
        list.DeleteRows(list.RowOfId(first), 1);
        list.DeleteRows(list.RowOfId(second), 1);
        QCOMPARE(list.RowCount(), 2);
        late->deliver(QByteArray("q=1\0", 4));
        gone->deliver("lost");
        QCOMPARE(list.CellText(0, 1), QByteArray("http://c.test/"));
        QCOMPARE(list.CellText(1, 1), QByteArray("q=1"));
        QCOMPARE(lateWrites, 1);

        // A body known at once is written at once; none at all leaves the cell alone.
        const quint64 fourth = appendToLastRow(list, "http://d.test/");
        auto known = PostDataRef::create();
        known->deliver(QByteArray("z\0", 2));
        writePostData(list, fourth, known, ZeroBytes::Keep);
        QCOMPARE(list.CellText(1, 2), QByteArray("z\0", 2));
        writePostData(list, fourth, PostDataRef(), ZeroBytes::Keep);
        QCOMPARE(list.CellText(1, 2), QByteArray("z\0", 2));
    }

    void panelHeight_data()
    {
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("fullHeight");
        QTest::newRow("one data row") << 2 << 52 << 52;
        QTest::newRow("two") << 3 << 73 << 73;
        QTest::newRow("nine") << 10 << 220 << 220;
        QTest::newRow("twelve") << 13 << 220 << 283;
    }
    void panelHeight()
    {
        QFETCH(int, rowCount);
        QFETCH(int, height);
        QFETCH(int, fullHeight);
        QCOMPARE(listPanelHeight(rowCount, 21), height);
        QCOMPARE(fullListPanelHeight(rowCount, 21), fullHeight);
    }
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
