// Start-up and exit of the real main window: one banner of three at random, the banner's close
// square giving its height to the web view, and the placement coming back after "Close".

#include "tests/support/apptestsupport.h"
#include "banner/bannerpaint.h"
#include "banner/tbannerpanel.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

using namespace apptest;

class TestE2EStartup : public QObject
{
    Q_OBJECT
    QStringList reports;

    static QList<TBannerPanel *> banners(TSurfWindow *w) { return {child<TBannerPanel>(&*w, "BannerPanel1"), child<TBannerPanel>(&*w, "BannerPanel2"), child<TBannerPanel>(&*w, "BannerPanel3")}; }

private slots:
    void initTestCase()
    {
        setErrorReportSink([this](const QString &t) { reports << t; });
    }
    void cleanup() { QVERIFY2(reports.isEmpty(), qPrintable(reports.join(u'\n'))); }

    void oneBannerOfThreeAtRandom()
    {
        QSet<int> seen;
        for (int run = 0; run < 30; ++run) {
            clearStoredPlacement();
            TSurfWindow w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            int shown = -1, count = 0;
            for (int i = 0; i < 3; ++i)
                if (banners(&w)[i]->isVisible()) {
                    shown = i;
                    ++count;
                }
            QCOMPARE(count, 1);
            seen.insert(shown);
            w.close();
        }
        QCOMPARE(seen.size(), 3);
    }

    void closingTheBannerGivesItsHeightToTheWebView_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void closingTheBannerGivesItsHeightToTheWebView()
    {
        QFETCH(Qt::MouseButton, button);
        auto w = openWindow();
        TBannerPanel *shown = nullptr;
        for (TBannerPanel *b : banners(w.get()))
            if (b->isVisible())
                shown = b;
        QVERIFY(shown);
        const int webHeight = child<QFrame>(&*w, "Panel4")->height();
        const int listTop = child<QWidget>(&*w, "Panel5")->y();
        QTest::mousePress(shown, button, {}, closeSquare(shown->width()).center());
        QTRY_VERIFY(!shown->isVisible());
        QTRY_COMPARE(child<QFrame>(&*w, "Panel4")->height(), webHeight + 88);
        QCOMPARE(child<QWidget>(&*w, "Panel5")->y(), listTop + 88);
        QCOMPARE(child<QWidget>(&*w, "Panel5")->geometry().bottom() + 1, child<QStatusBar>(&*w, "StatusBar1")->y());
        for (TBannerPanel *b : banners(w.get()))
            QVERIFY(!b->isVisible());
    }

    void theWindowComesBackWhereItWasClosed()
    {
        clearStoredPlacement();
        QRect firstGeometry;
        const QRect moved(60, 50, 900, 640);
        {
            TSurfWindow w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            firstGeometry = w.geometry();
            // The first run opens centred at the designed size.
            const QRect screen = w.screen()->availableGeometry();
            QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 1);
            QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 1);
            QCOMPARE(w.size(), QSize(792, 566));
            w.setGeometry(moved);
            QTRY_COMPARE(w.geometry(), moved);
            child<QToolButton>(&w, "ToolButton7")->click();  // "Close"
            QTRY_VERIFY(!w.isVisible());
        }
        QSettings stored(QStringLiteral("Tavorink"), QStringLiteral("Trailscribe"));
        qInfo("settings file %s", qPrintable(stored.fileName()));
        QFile file(stored.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray contents = file.readAll();
        qInfo("%s", contents.constData());
        stored.beginGroup(QStringLiteral("Tavorink"));
        QCOMPARE(stored.value(QStringLiteral("Visible")).toString(), QStringLiteral("0"));
        QCOMPARE(stored.value(QStringLiteral("ShowCmd")).toString(), QStringLiteral("1"));
        QVERIFY(stored.contains(QStringLiteral("NormPos")));
        QVERIFY(stored.contains(QStringLiteral("PixelsPerInch")));
        {
            TSurfWindow w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTRY_COMPARE(w.geometry(), moved);
            QVERIFY(w.geometry() != firstGeometry);
            w.close();
        }
    }
};

TS_APP_TEST_MAIN(TestE2EStartup)
#include "tst_e2e_startup.moc"
