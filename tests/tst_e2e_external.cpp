// The external window's pages and their dialogs, with the real web engine against a local
// server: a dialog of a pop-up holds up only the external window, the next pop-up replaces a
// view whose dialog is up, and a page that closes its window.

// Mouse clicks go through the window system's path, where a modal dialog blocks them, as a
// user's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "tests/support/apptestsupport.h"
#include "tests/support/httpserver.h"
#include "addressbox/addresscombo.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QToolButton>
#include <QLayout>

using namespace apptest;

class TestE2EExternal : public QObject
{
    Q_OBJECT
    HttpServer server;
    std::unique_ptr<TSurfWindow> w;
    QStringList reports;

    template <typename T>
    T *child(QWidget *parent, const char *name) const
    {
        T *found = parent->findChild<T *>(QLatin1String(name));
        if (!found)
            qWarning("no %s", name);
        return found;
    }

    // The external window is a window of its own, not a child of the main window.
    static QWidget *externalWindow()
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("surfwindow2"))
                return top;
        return nullptr;
    }

    TWebBrowser *mainView() const { return child<TWebBrowser>(w.get(), "WebBrowser2"); }
    static QString status(QWidget *window) { return window->findChild<QStatusBar *>(QStringLiteral("StatusBar1"))->currentMessage(); }

    void openPopUp(const QByteArray &path)
    {
        mainView()->page()->runJavaScript(QStringLiteral("window.open('%1'); 1").arg(server.urlString(path)));
    }

    // Whether a user's click on "Add URL" in the main window gets through: it adds a row.
    bool mainWindowTakesAClick(const QString &address)
    {
        auto *list = child<TListGrid>(w.get(), "surfdata");
        child<TAddressCombo>(w.get(), "AddressBox")->SetText(address);
        QTest::mouseClick(child<QToolButton>(w.get(), "ToolButton10"), Qt::LeftButton);
        return column(list, 0).contains(address.toLatin1());
    }

private slots:
    void initTestCase()
    {
        setErrorReportSink([this](const QString &t) { reports << t; });
        QVERIFY(server.listen());
        server.route("/start", HttpResponse::html("<html><body>start</body></html>"));
        server.route("/next", HttpResponse::html("<html><head><title>next</title></head><body>next</body></html>"));
        server.route("/alert", HttpResponse::html("<html><body><script>alert('Look out')</script></body></html>"));
        server.route("/confirm", HttpResponse::html("<html><body><script>confirm('Sure?')</script></body></html>"));
        server.route("/prompt", HttpResponse::html("<html><body><script>prompt('Name?', 'x')</script></body></html>"));
        HttpResponse file;
        file.contentType = "application/octet-stream";
        file.body = "0123456789";
        file.headers.append(qMakePair(QByteArray("Content-Disposition"), QByteArray("attachment; filename=\"f.bin\"")));
        server.route("/file.bin", file);
        server.setHandler([](const HttpRequest &request) {
            HttpResponse refused = HttpResponse::html("<html><head><title>refused</title></head></html>");
            refused.status = 401;
            refused.headers.append(qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Basic realm=\"") +
                                                                                  request.path.mid(1) + "\""));
            return refused;
        });
        w = openWindow();
        QSignalSpy loaded(mainView(), &QWebEngineView::loadFinished);
        child<TAddressCombo>(w.get(), "AddressBox")->SetText(server.urlString("/start"));
        QTest::mouseClick(child<QWidget>(w.get(), "gotobutton"), Qt::LeftButton);
        QVERIFY(loaded.wait(15000));
        QVERIFY(externalWindow());
    }

    void init() { reports.clear(); }
    void cleanup()
    {
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join(u'\n')));
        if (QWidget *x = externalWindow())
            x->hide();
    }

    void aDialogOfAPopUpHoldsUpOnlyItsWindowAndGoesWithItsView_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("dialogName");
        // Each sign-in has a realm of its own: nothing the engine keeps answers it.
        QTest::newRow("sign-in") << QByteArray("/realm-one") << "AuthenticationDialog";
        QTest::newRow("alert") << QByteArray("/alert") << "PageDialog";
        QTest::newRow("confirm") << QByteArray("/confirm") << "PageDialog";
        QTest::newRow("prompt") << QByteArray("/prompt") << "PageDialog";
        QTest::newRow("save as") << QByteArray("/file.bin") << "DownloadDialog";
    }

    void aDialogOfAPopUpHoldsUpOnlyItsWindowAndGoesWithItsView()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, dialogName);
        QWidget *x = externalWindow();
        const QString typed = QStringLiteral("http://typed.test/") + QString::fromLatin1(QTest::currentDataTag());

        // What is seen while the dialog is up, and just after a new window replaced its view.
        QPointer<QDialog> dialog;
        QPointer<TWebBrowser> firstView;
        QPointer<QWebEnginePage> nextPage;
        Qt::WindowModality modality = Qt::NonModal;
        bool dialogInItsView = false, mainTookAClick = false, replaced = false;
        bool oldAlive = false, oldHidden = false, oldOutOfLayout = false, dialogClosed = false;

        // The dialog runs its own event loop, inside the engine's call: what happens meanwhile
        // runs from a timer. The engine waits for the dialog's answer and starts nothing
        // meanwhile, so the next new window is asked for as the engine would ask for it.
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            const QList<QDialog *> dialogs = x->findChildren<QDialog *>(dialogName);
            const auto shown = std::find_if(dialogs.begin(), dialogs.end(), [](QDialog *d) { return d->isVisible(); });
            if (shown == dialogs.end())
                return;
            poll.stop();
            dialog = *shown;
            firstView = child<TWebBrowser>(x, "WebBrowser2");
            modality = dialog->windowModality();
            dialogInItsView = firstView && dialog->parentWidget() == firstView;
            mainTookAClick = mainWindowTakesAClick(typed);

            QWebEnginePage *page = nullptr;
            bool cancel = false;
            emit mainView()->NewWindow2(mainView(), &page, &cancel);
            nextPage = page;
            replaced = page && !cancel && child<TWebBrowser>(x, "WebBrowser2") != firstView;
            oldAlive = !firstView.isNull();
            oldHidden = firstView && firstView->isHidden();
            oldOutOfLayout = firstView && x->layout()->indexOf(firstView) < 0;
            dialogClosed = !dialog->isVisible();
        });
        poll.start();

        openPopUp(path);
        QTRY_VERIFY_WITH_TIMEOUT(replaced, 20000);
        QCOMPARE(modality, Qt::WindowModal);
        QVERIFY(dialogInItsView);
        QVERIFY(mainTookAClick);
        QVERIFY(oldAlive);
        QVERIFY(oldHidden);
        QVERIFY(oldOutOfLayout);
        QVERIFY(dialogClosed);

        QTRY_VERIFY(firstView.isNull());
        QVERIFY(dialog.isNull());
        QVERIFY(!QApplication::activeModalWidget());
        // The engine loads the new window's page into the page it was given.
        QVERIFY(nextPage);
        nextPage->load(server.url("/next"));
        auto *url1 = child<QLineEdit>(x, "url1");
        QTRY_COMPARE_WITH_TIMEOUT(url1->text(), server.urlString("/next"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(status(x), QStringLiteral("Status: Done"), 15000);
        QVERIFY(x->isVisible());
        QCOMPARE(child<TWebBrowser>(x, "WebBrowser2")->page(), nextPage.data());
        // Nothing of the replaced page reaches the external window any more.
        QTest::qWait(300);
        QCOMPARE(url1->text(), server.urlString("/next"));
    }

    void aPageThatClosesItsWindowHidesIt()
    {
        QWidget *x = externalWindow();
        const QString mainStatus = status(w.get());
        openPopUp("/next");
        QTRY_VERIFY(x->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(status(x), QStringLiteral("Status: Done"), 15000);

        runJs(child<TWebBrowser>(x, "WebBrowser2")->page(), QStringLiteral("window.close(); 1"));
        QTRY_VERIFY(!x->isVisible());
        QCOMPARE(status(x), QStringLiteral("The page closed its window"));
        QCOMPARE(status(w.get()), mainStatus);

        // The next pop-up shows it again.
        openPopUp("/start");
        QTRY_VERIFY(x->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(status(x), QStringLiteral("Status: Done"), 15000);
    }
};

TS_APP_TEST_MAIN(TestE2EExternal)
#include "tst_e2e_external.moc"
