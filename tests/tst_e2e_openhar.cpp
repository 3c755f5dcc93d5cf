// Opening HAR files into the real main window: from the list's menu, dropped on the list, our own
// files coming back byte for byte, a browser's export, files that cannot be read, and the choice
// between adding to the list and replacing it.

#include "tests/support/testfiles.h"
#include "tests/support/apptestsupport.h"
#include "tests/support/harfixtures.h"
#include "tests/support/httpserver.h"
#include "addressbox/addresscombo.h"
#include "core/harreader.h"
#include "core/harwriter.h"
#include "core/listcolumn.h"
#include "core/requestlistmodel.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

using namespace apptest;

class TestE2EOpenHar : public QObject
{
    Q_OBJECT
    HttpServer server;
    std::unique_ptr<TSurfWindow> w;
    QTemporaryDir dir;
    QStringList reports;

    TListGrid *list() const { return child<TListGrid>(&*w, "surfdata"); }
    QString path(const QString &name) const { return dir.filePath(name); }

    bool load(const QByteArray &target)
    {
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        child<TAddressCombo>(&*w, "AddressBox")->SetText(server.urlString(target));
        child<QPushButton>(&*w, "gotobutton")->click();
        return loaded.wait(15000) && loaded.first().first().toBool();
    }

    // Posts the page's first form and waits until its row holds the body.
    bool post(const QByteArray &page)
    {
        if (!load(page))
            return false;
        server.clearRequests();
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QStringLiteral("document.forms[0].submit()"));
        if (!server.waitForRequest("/post") || !loaded.wait(15000))
            return false;
        const int row = list()->RowCount() - 1;
        return QTest::qWaitFor([&] { return list()->RowRequest(row).method == "POST"; }, 5000);
    }

    // A list of one row, so that opening a file asks whether to add or replace.
    void listOfOneAddress(const QByteArray &address)
    {
        child<QToolButton>(&*w, "ToolButton13")->click(); // "Clear URLs"
        child<TAddressCombo>(&*w, "AddressBox")->SetText(QString::fromLatin1(address));
        child<QToolButton>(&*w, "ToolButton10")->click(); // "Add URL"
    }

    // Drags a file onto the list and lets go.
    void drop(const QString &fileName)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(fileName)});
        QWidget *target = list()->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        enter.setAccepted(false);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
        dropped.setAccepted(false);
        QCoreApplication::sendEvent(target, &dropped);
        QVERIFY(dropped.isAccepted());
    }

    QByteArray csv(const QString &name)
    {
        list()->SaveCsv(path(name));
        return readFile(path(name));
    }

private slots:
    void initTestCase()
    {
        setErrorReportSink([this](const QString &t) { reports << t; });
        QVERIFY(dir.isValid());
        QVERIFY(server.listen());
        server.route("/form", HttpResponse::html(
            "<html><body><form method=post action='/post'><input name=a value='1 2&3'><input name=b value='caf&eacute;'>"
            "</form></body></html>"));
        server.route("/nulform", HttpResponse::html(
            "<html><body><form method=post action='/post' enctype='text/plain'><input type=hidden name=n></form>"
            "<script>document.forms[0].elements.n.value = 'a\\u0000b';</script></body></html>"));
        server.route("/post", HttpResponse::html("<html><body>posted</body></html>"));
        w = openWindow();
    }

    void init() { reports.clear(); }
    void cleanup() { QVERIFY2(reports.isEmpty(), qPrintable(reports.join(u'\n'))); }

    // Real posts saved through the menu, opened again in place of the list: saving once more gives
    // the same bytes, as CSV and as HAR.
    void ourOwnFileComesBackWhole()
    {
        child<QToolButton>(&*w, "ToolButton13")->click();
        QVERIFY(post("/form"));
        QVERIFY(post("/nulform"));
        QCOMPARE(list()->RowRequest(list()->RowCount() - 1).body, QByteArray("n=a\0b\r\n", 7));
        const QByteArray csvBefore = csv("before.csv");
        {
            ModalAnswerer saving({ModalAnswerer::chooseFile(path("saved.har"))});
            child<QAction>(&*w, "SaveToFileHAR1")->trigger();
            QVERIFY(saving.allAnswered());
        }
        const QByteArray saved = readFile(path("saved.har"));
        QVERIFY(saved.startsWith('{'));

        // Something else in the list first, which the file then replaces.
        listOfOneAddress("http://other.test/");
        ModalAnswerer opening({ModalAnswerer::chooseFile(path("saved.har")), ModalAnswerer::click(QStringLiteral("Replace"))});
        child<QAction>(&*w, "OpenFromFileHAR1")->trigger();
        QVERIFY(opening.allAnswered());
        QCOMPARE(opening.texts.value(1), QStringLiteral("Add the file's requests to the list, or replace the list?"));

        QCOMPARE(csv("after.csv"), csvBefore);
        ModalAnswerer savingAgain({ModalAnswerer::chooseFile(path("again.har"))});
        child<QAction>(&*w, "SaveToFileHAR1")->trigger();
        QCOMPARE(readFile(path("again.har")), saved);
    }

    void addReplaceOrCancel_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArrayList>("urls");
        QTest::newRow("Add") << "Add" << QByteArrayList{"http://kept.test/", "http://h.test/a", "http://h.test/b"};
        QTest::newRow("Replace") << "Replace" << QByteArrayList{"http://h.test/a", "http://h.test/b"};
        QTest::newRow("Cancel") << "Cancel" << QByteArrayList{"http://kept.test/"};
        QTest::newRow("Escape cancels") << "Escape" << QByteArrayList{"http://kept.test/"};
    }
    void addReplaceOrCancel()
    {
        QFETCH(QString, answer);
        QFETCH(QByteArrayList, urls);
        const QList<HarRow> rows{{"http://h.test/a", harfixture::record("GET", {}, {})},
                                 {"http://h.test/b", harfixture::record("POST", "x=1", "application/x-www-form-urlencoded")}};
        QVERIFY(writeFile(path("two.har"), harDocument(rows)));
        listOfOneAddress("http://kept.test/");
        const ModalAnswerer::Answer escape = [](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); };
        ModalAnswerer answerer({answer == QLatin1String("Escape") ? escape : ModalAnswerer::click(answer)});
        drop(path("two.har"));
        QTRY_VERIFY(answerer.allAnswered());
        QTRY_COMPARE(column(list(), UrlColumn), urls);
        if (urls.size() > 1)
            QCOMPARE(list()->CellText(PostDataColumn, list()->RowCount() - 1), QByteArray("x=1"));
        // Nothing more happens later.
        QTest::qWait(200);
        QCOMPARE(column(list(), UrlColumn), urls);
    }

    // An empty list takes the file without a question, and its one empty row gives way.
    void anEmptyListTakesTheFileWithoutAsking()
    {
        const QList<HarRow> rows{{"http://h.test/only", harfixture::record("GET", {}, {})}};
        QVERIFY(writeFile(path("one.har"), harDocument(rows)));
        child<QToolButton>(&*w, "ToolButton13")->click();
        ModalAnswerer answerer({ModalAnswerer::click(QStringLiteral("Add"))});
        drop(path("one.har"));
        QTRY_COMPARE(column(list(), UrlColumn), QByteArrayList{"http://h.test/only"});
        QTest::qWait(200);
        QCOMPARE(answerer.answered(), 0);
    }

    // A browser's export: its pages become rows, posts with the bodies the file gives (one
    // rebuilt from its fields), each marked as read from that program's file.
    void aBrowsersExportGivesItsPages()
    {
        const QString file = QFINDTESTDATA("data/har/browser-export.har");
        QVERIFY(!file.isEmpty());
        child<QToolButton>(&*w, "ToolButton13")->click();
        drop(file);
        QTRY_COMPARE(column(list(), UrlColumn),
                     (QByteArrayList{"https://shop.example/", "https://shop.example/search", "https://shop.example/cart?add=1"}));
        QCOMPARE(column(list(), PostDataColumn),
                 (QByteArrayList{"", "q=red shoes\r\nsize=42\r\n", "item=caf%C3%A9+au+lait&qty=2%26more"}));
        QCOMPARE(list()->RowRequest(3).contentType, QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(list()->RowRequest(2).method, QByteArray("POST"));
        QCOMPARE(list()->RowDoubt(2), QStringLiteral("Read from a HAR file written by WebInspector."));
        QCOMPARE(list()->RowDoubt(3),
                 QStringLiteral("Read from a HAR file written by WebInspector; the body was rebuilt from its fields."));
    }

    void aFileThatCannotBeReadLeavesTheList_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not JSON") << QByteArray("<html>not a HAR</html>");
        QTest::newRow("cut short") << QByteArray("{\"log\":{\"entries\":[{\"request\":");
        QTest::newRow("no entries") << QByteArray("{\"log\":{\"version\":\"1.2\"}}");
        QTest::newRow("entry without a method")
            << QByteArray("{\"log\":{\"entries\":[{\"startedDateTime\":\"2026-03-04T05:06:07Z\","
                          "\"request\":{\"url\":\"http://a.test/\"}}]}}");
        QTest::newRow("bad base64 body")
            << QByteArray("{\"log\":{\"creator\":{\"name\":\"X\"},\"entries\":[{\"startedDateTime\":\"2026-03-04T05:06:07Z\","
                          "\"request\":{\"method\":\"POST\",\"url\":\"http://a.test/\",\"postData\":{\"mimeType\":\"a/b\","
                          "\"text\":\"***\",\"encoding\":\"base64\"}}}]}}");
        QTest::newRow("no such file") << QByteArray();
    }
    void aFileThatCannotBeReadLeavesTheList()
    {
        QFETCH(QByteArray, contents);
        const QString file = path(QStringLiteral("bad %1.har").arg(QString::fromLatin1(QTest::currentDataTag())));
        QFile::remove(file);
        if (!contents.isEmpty())
            QVERIFY(writeFile(file, contents));
        listOfOneAddress("http://kept.test/");
        const QByteArray before = csv("list.csv");
        ModalAnswerer answerer({ModalAnswerer::click(QStringLiteral("OK")), ModalAnswerer::click(QStringLiteral("Add"))});
        drop(file);
        QTRY_VERIFY(answerer.answered() >= 1);
        QTest::qWait(200);
        QCOMPARE(answerer.answered(), 1);
        QCOMPARE(answerer.titles.first(), QStringLiteral("Open From File (HAR)"));
        const QString said = answerer.texts.first();
        QVERIFY2(said.contains(QFileInfo(file).fileName()), qPrintable(said));
        QCOMPARE(said, readHarFile(file).error);
        QCOMPARE(csv("list.csv"), before);
    }

    // Only HAR files are taken from a drop.
    void otherFilesAreNotTaken()
    {
        QVERIFY(writeFile(path("list.csv"), "URL,POST-DATA\r\n"));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path("list.csv"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        enter.setAccepted(false);
        QCoreApplication::sendEvent(list()->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
    }
};

TS_APP_TEST_MAIN(TestE2EOpenHar)
#include "tst_e2e_openhar.moc"
