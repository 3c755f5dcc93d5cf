// Browsing with the real web engine against a local server: "Go!", Back, Forward, status texts.

#include "tests/support/apptestsupport.h"
#include "tests/support/httpserver.h"
#include "addressbox/addresscombo.h"

#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

using namespace apptest;

class TestE2EBrowse : public QObject
{
    Q_OBJECT
    HttpServer server;
    std::unique_ptr<TSurfWindow> w;
    QStringList reports;

    void go(const QByteArray &path)
    {
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        child<TAddressCombo>(&*w, "AddressBox")->SetText(server.urlString(path));
        child<QPushButton>(&*w, "gotobutton")->click();
        QVERIFY(loaded.wait(15000));
    }

private slots:
    void initTestCase()
    {
        setErrorReportSink([this](const QString &t) { reports << t; });
        QVERIFY(server.listen());
        server.route("/a", HttpResponse::html(
                               "<html><body style='margin:0'><a id=l href='/b' style='display:block;width:300px;"
                               "height:100px;font-size:40px'>to b</a></body></html>"));
        server.route("/b", HttpResponse::html("<html><body><p>page b</p></body></html>"));
        w = openWindow();
    }

    void startsOnTheBuiltInHomePage()
    {
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), QUrl(QString::fromLatin1(TSurfWindow::kHomePage)));
        QCOMPARE(runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QStringLiteral("document.title")).toString(), QStringLiteral("Trailscribe"));
        QVERIFY(child<QStatusBar>(&*w, "StatusBar1")->currentMessage().startsWith(QStringLiteral("Status: ")));
    }

    void goBackForward()
    {
        go("/a");
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/a"));
        go("/b");
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/b"));
        QCOMPARE(child<QStatusBar>(&*w, "StatusBar1")->currentMessage(), QStringLiteral("Status: Done"));

        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        child<QToolButton>(&*w, "ToolButton1")->click();
        QVERIFY(loaded.wait(15000));
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/a"));
        child<QToolButton>(&*w, "ToolButton2")->click();
        QVERIFY(loaded.wait(15000));
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/b"));
        QVERIFY(reports.isEmpty());
    }

    void hoveredLinkShowsInTheStatusLine()
    {
        go("/a");
        QWidget *surface = child<TWebBrowser>(&*w, "WebBrowser2")->focusProxy();
        QVERIFY(surface);
        QTest::mouseMove(surface, QPoint(400, 300));
        QTest::qWait(100);
        QTest::mouseMove(surface, QPoint(50, 30));
        QTRY_COMPARE_WITH_TIMEOUT(child<QStatusBar>(&*w, "StatusBar1")->currentMessage(),
                                  QStringLiteral("Status: ") + server.urlString("/b"), 10000);
        QTest::mouseMove(surface, QPoint(400, 300));
        QTRY_COMPARE_WITH_TIMEOUT(child<QStatusBar>(&*w, "StatusBar1")->currentMessage(), QStringLiteral("Status: "), 10000);
    }
};

TS_APP_TEST_MAIN(TestE2EBrowse)
#include "tst_e2e_browse.moc"
