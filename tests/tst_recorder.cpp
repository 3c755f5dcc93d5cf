#include "app/recorder.h"
#include "app/replayrequest.h"
#include "core/trailscribeerror.h"
#include "core/listcolumn.h"
#include "urllist/listgrid.h"

#include <QAbstractItemModelTester>
#include <QWidget>

#include <QTest>
#include <QWebEngineHttpRequest>

static QList<QByteArray> column(const TListGrid &list, int col)
{
    QList<QByteArray> out;
    for (int r = 1; r < list.RowCount(); ++r)
        out.append(list.CellText(col, r));
    return out;
}

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
        RequestRecord r;
        r.body = body;
        r.window = RequestWindow::Main;
        const QByteArray d = postTextOf(r);
        QCOMPARE(d, dropped);
        QCOMPARE(d.size(), dropped.size());
        r.window = RequestWindow::External;
        QCOMPARE(postTextOf(r), kept);
    }

    void lateBodiesFindTheirRowAfterOtherRowsWentAway()
    {
        TListGrid list;
        QWidget panel;
        Recorder recorder(&list, &panel);
        QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(recorder.record("http://a.test/", {}, Recorder::MainWindow));
        QVERIFY(recorder.record("http://b.test/", {}, Recorder::ExternalWindow));
        QCOMPARE(list.RowCount(), 3);
        auto late = PostDataRef::create();
        auto gone = PostDataRef::create();
        QVERIFY(recorder.record("http://c.test/", late, Recorder::MainWindow));
        QVERIFY(recorder.record("http://e.test/", gone, Recorder::ExternalWindow));
        QCOMPARE(list.RowCount(), 5);
        list.SetCurrentCell(UrlColumn, 1);
        recorder.deleteCurrentRow();
        list.SetCurrentCell(UrlColumn, 3);
        recorder.deleteCurrentRow();
        QCOMPARE(column(list, UrlColumn), (QList<QByteArray>{"http://b.test/", "http://c.test/"}));
        late->deliver(QByteArray("q=1\0", 4));
        gone->deliver("lost");
        QCOMPARE(column(list, PostDataColumn), (QList<QByteArray>{"", "q=1"}));

        // A body known at once is written at once, with its zero bytes where the window keeps
        // them; a navigation without one leaves its new row's cell empty.
        auto known = PostDataRef::create();
        known->deliver(QByteArray("z\0", 2));
        QVERIFY(recorder.record("http://d.test/", known, Recorder::ExternalWindow));
        QVERIFY(recorder.record("http://f.test/", {}, Recorder::MainWindow));
        QCOMPARE(column(list, PostDataColumn), (QList<QByteArray>{"", "q=1", QByteArray("z\0", 2), ""}));

        // Cleared, the list keeps one empty row; a body on its way to a row that was there goes
        // nowhere.
        auto afterClear = PostDataRef::create();
        QVERIFY(recorder.record("http://g.test/", afterClear, Recorder::MainWindow));
        recorder.clear();
        afterClear->deliver("late=1");
        QCOMPARE(list.RowCount(), 2);
        QCOMPARE(column(list, UrlColumn), (QList<QByteArray>{""}));
        QCOMPARE(column(list, PostDataColumn), (QList<QByteArray>{""}));
    }

    // Each row keeps the request it was recorded from: the method, the body exactly as sent
    // (zero bytes too, where the main window's cell drops them), its Content-Type, when and by
    // which window, and the body's doubt.
    void requestRecords()
    {
        TListGrid list;
        QWidget panel;
        Recorder recorder(&list, &panel);
        const QDateTime before = QDateTime::currentDateTimeUtc();

        QVERIFY(recorder.record("http://get.test/", PostDataRef::create(), Recorder::MainWindow));
        auto known = PostDataRef::create();
        known->deliver(QByteArray("a=1\0&b=\xff", 10), {}, "application/x-www-form-urlencoded");
        QVERIFY(recorder.record("http://post.test/", known, Recorder::MainWindow));
        auto late = PostDataRef::create();
        QVERIFY(recorder.record("http://late.test/", late, Recorder::ExternalWindow));
        auto missing = PostDataRef::create();
        QVERIFY(recorder.record("http://missing.test/", missing, Recorder::ExternalWindow));
        QVERIFY(recorder.append("http://added.test/") != 0);
        const QDateTime after = QDateTime::currentDateTimeUtc();

        QCOMPARE(column(list, PostDataColumn),
                 (QList<QByteArray>{"", "a=1&b=\xff", "", "", ""}));
        for (int row = 1; row <= 5; ++row) {
            const RequestRecord r = list.RowRequest(row);
            QVERIFY(r.recorded.isValid());
            QCOMPARE(r.recorded.timeSpec(), Qt::UTC);
            QVERIFY(r.recorded >= before && r.recorded <= after);
            QCOMPARE(r.window, row == 3 || row == 4 ? RequestWindow::External : RequestWindow::Main);
        }
        QCOMPARE(list.RowRequest(1).method, QByteArray("GET"));
        QCOMPARE(list.RowRequest(1).body, QByteArray());
        QCOMPARE(list.RowRequest(1).contentType, QByteArray());
        QCOMPARE(list.RowRequest(2).method, QByteArray("POST"));
        QCOMPARE(list.RowRequest(2).body, QByteArray("a=1\0&b=\xff", 10));
        QCOMPARE(list.RowRequest(2).contentType, QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(list.RowRequest(2).doubt, QString());
        QCOMPARE(list.RowRequest(3).method, QByteArray("GET"));
        QCOMPARE(list.RowRequest(5).method, QByteArray("GET"));
        QCOMPARE(list.RowRequest(5).body, QByteArray());

        // A late multipart body without a known type: the type comes from the body's boundary.
        const QByteArray multipart("--XyZ\r\nContent-Disposition: form-data; name=\"f\"\r\n\r\n\0\x01\r\n--XyZ--\r\n", 64);
        const RequestRecord lateBefore = list.RowRequest(3);
        late->deliver(multipart, "not sure");
        const RequestRecord lateAfter = list.RowRequest(3);
        QCOMPARE(lateAfter.method, QByteArray("POST"));
        QCOMPARE(lateAfter.body, multipart);
        QCOMPARE(lateAfter.contentType, QByteArray("multipart/form-data; boundary=XyZ"));
        QCOMPARE(lateAfter.doubt, QString("not sure"));
        QCOMPARE(list.RowDoubt(3), QString("not sure"));
        QCOMPARE(lateAfter.recorded, lateBefore.recorded);
        QCOMPARE(list.CellText(PostDataColumn, 3), multipart);

        // No body could be captured: a POST without one, and why.
        missing->deliver({}, "nothing captured");
        QCOMPARE(list.RowRequest(4).method, QByteArray("POST"));
        QCOMPARE(list.RowRequest(4).body, QByteArray());
        QCOMPARE(list.RowRequest(4).doubt, QString("nothing captured"));

        // Clearing forgets every request; "Add URL" into the emptied row makes a GET of its own.
        recorder.clear();
        QVERIFY(list.RowRequest(1).isEmpty());
        QVERIFY(recorder.append("http://again.test/") != 0);
        QCOMPARE(list.RowCount(), 2);
        QCOMPARE(list.RowRequest(1).method, QByteArray("GET"));
        QCOMPARE(list.RowRequest(1).window, RequestWindow::Main);
        QCOMPARE(list.RowRequest(1).doubt, QString());
    }

    // "Clear URLs" while a body is on its way: it must not land in the row the next address takes.
    void aLateBodyAfterClearGoesNowhere()
    {
        TListGrid list;
        QWidget panel;
        Recorder recorder(&list, &panel);
        auto late = PostDataRef::create();
        QVERIFY(recorder.record("http://a.test/form", late, Recorder::MainWindow));
        recorder.clear();
        QVERIFY(recorder.record("http://b.test/", {}, Recorder::MainWindow));
        late->deliver("secret=1");
        QCOMPARE(list.RowCount(), 2);
        QCOMPARE(list.CellText(UrlColumn, 1), QByteArray("http://b.test/"));
        QCOMPARE(list.CellText(PostDataColumn, 1), QByteArray());
        QCOMPARE(list.RowRequest(1).body, QByteArray());
    }

    void scriptAddressesAndTheLastRow()
    {
        TListGrid list;
        QWidget panel;
        Recorder recorder(&list, &panel);
        // The list starts with one empty data row: the first address fills it.
        QVERIFY(!recorder.record("JavaScript:go()", PostDataRef::create(), Recorder::MainWindow));
        QCOMPARE(recorder.append("javascript:void(0)"), quint64(0));
        QCOMPARE(list.RowCount(), 2);
        QVERIFY(recorder.append("http://a.test/") != 0);
        QCOMPARE(list.RowCount(), 2);
        QVERIFY(recorder.append("http://a.test/") != 0);
        QCOMPARE(list.RowCount(), 3);
        // An emptied last row is filled again rather than followed by another.
        recorder.deleteCurrentRow();
        list.SetCurrentCell(UrlColumn, 1);
        recorder.deleteCurrentRow();
        recorder.deleteCurrentRow();
        QCOMPARE(list.RowCount(), 2);
        QCOMPARE(list.CellText(UrlColumn, 1), QByteArray());
        QVERIFY(recorder.append("http://b.test/") != 0);
        QCOMPARE(column(list, UrlColumn), (QList<QByteArray>{"http://b.test/"}));
    }

    // The main window's recording fits the list panel to the rows; the external one leaves it.
    void panelFollowsTheMainWindowsRows()
    {
        TListGrid list;
        QWidget panel;
        Recorder recorder(&list, &panel);
        recorder.showWholeList();
        QCOMPARE(panel.height(), fullListPanelHeight(2, list.DefaultRowHeight()));
        recorder.record("http://a.test/", {}, Recorder::MainWindow);
        recorder.record("http://b.test/", {}, Recorder::MainWindow);
        const int height = listPanelHeight(3, list.DefaultRowHeight());
        QCOMPARE(panel.height(), height);
        recorder.record("http://c.test/", {}, Recorder::ExternalWindow);
        QCOMPARE(panel.height(), height);
        recorder.record("http://d.test/", {}, Recorder::MainWindow);
        QCOMPARE(panel.height(), listPanelHeight(5, list.DefaultRowHeight()));
    }

    void replayRequest_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<bool>("post");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("POST") << QByteArray("POST") << QByteArray("text/plain") << QByteArray("http://h.test/p?q=%41#f")
                              << true << QUrl("http://h.test/p?q=%41#f");
        QTest::newRow("POST of unknown type") << QByteArray("POST") << QByteArray() << QByteArray("https://h.test/")
                                              << true << QUrl("https://h.test/");
        QTest::newRow("GET") << QByteArray("GET") << QByteArray() << QByteArray("http://h.test/g")
                             << false << QUrl("http://h.test/g");
        QTest::newRow("typed address, no record") << QByteArray() << QByteArray() << QByteArray(" h.test/x ")
                                                  << false << QUrl("http://h.test/x");
    }
    // A row's request made again: a POST carries the recorded bytes and type, anything else is
    // a plain GET of the address.
    void replayRequest()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, address);
        QFETCH(bool, post);
        QFETCH(QUrl, url);
        RequestRecord record;
        record.method = method;
        record.contentType = contentType;
        if (method == "POST")
            record.body = QByteArray("a=\0\xff\r\n", 6);
        const QWebEngineHttpRequest request = ::replayRequest(record, address);
        QCOMPARE(request.url(), url);
        QCOMPARE(request.method(), post ? QWebEngineHttpRequest::Post : QWebEngineHttpRequest::Get);
        QCOMPARE(request.postData(), record.body);
        QCOMPARE(request.hasHeader("Content-Type"), !contentType.isEmpty());
        QCOMPARE(request.header("Content-Type"), contentType);
    }
    void replayRequestOfAnUnusableAddress_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank") << QByteArray("  ");
        QTest::newRow("invalid") << QByteArray("http://[::1");
    }
    void replayRequestOfAnUnusableAddress()
    {
        QFETCH(QByteArray, address);
        RequestRecord record;
        record.method = "GET";
        QVERIFY_THROWS_EXCEPTION(TrailscribeError, ::replayRequest(record, address));
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
