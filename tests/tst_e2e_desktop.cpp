// What the program does as a desktop browser, with the real web engine against a local server:
// the typed-address history it keeps, sign-in dialogs, downloads, a renderer process that ends,
// the browser keys and the window icon.

#include "tests/support/apptestsupport.h"
#include "tests/support/httpserver.h"
#include "addressbox/addresscombo.h"
#include "app/appicon.h"
#include "app/tsurfwindow2.h"
#include "core/listcolumn.h"
#include "webview/authenticationdialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QThread>
#include <QWebEngineProfile>
#include <csignal>
#include <functional>
#include <sys/types.h>

using namespace apptest;

namespace {

QByteArray downloadBytes()
{
    QByteArray bytes;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
    return bytes;
}

// Answers the next modal dialog of type T, once it is up, from the event loop.
template <typename T>
void whenDialogShows(std::function<void(T *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

} // namespace

class TestE2EDesktop : public QObject
{
    Q_OBJECT
    HttpServer server;
    std::unique_ptr<TSurfWindow> w;
    QStringList reports;
    QTemporaryDir downloads;

    // "Go!" as the user presses it.
    void go(TSurfWindow *window, const QString &address)
    {
        QSignalSpy loaded(child<TWebBrowser>(&*window, "WebBrowser2"), &QWebEngineView::loadFinished);
        child<TAddressCombo>(&*window, "AddressBox")->SetText(address);
        child<QPushButton>(&*window, "gotobutton")->click();
        QVERIFY(loaded.wait(15000));
    }

    std::unique_ptr<TSurfWindow> openKeepingSettings()
    {
        auto window = std::make_unique<TSurfWindow>();
        QSignalSpy loaded(child<TWebBrowser>(&*window, "WebBrowser2"), &QWebEngineView::loadFinished);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()) || !loaded.wait(20000))
            qWarning("window did not come up");
        return window;
    }

    static QString status(QWidget *window)
    {
        return window->findChild<QStatusBar *>(QStringLiteral("StatusBar1"))->currentMessage();
    }

private slots:
    void initTestCase()
    {
        setErrorReportSink([this](const QString &t) { reports << t; });
        QVERIFY(server.listen());
        QVERIFY(downloads.isValid());
        server.route("/a", HttpResponse::html("<html><body><a id=l href='/c'>to c</a>"
                                              "<a id=d href='/file.bin'>file</a></body></html>"));
        server.route("/b", HttpResponse::html("<html><head><title>page b</title></head><body>b</body></html>"));
        server.route("/c", HttpResponse::html("<html><body>c</body></html>"));
        HttpResponse file;
        file.contentType = "application/octet-stream";
        file.body = downloadBytes();
        file.headers.append(qMakePair(QByteArray("Content-Disposition"), QByteArray("attachment; filename=\"data.bin\"")));
        server.route("/file.bin", file);
        server.setHandler([](const HttpRequest &request) {
            // /secret/<realm>: Basic sign-in as "tester" with the password "p@ss word".
            if (request.path.startsWith("/secret/")) {
                if (request.header("Authorization") == "Basic " + QByteArray("tester:p@ss word").toBase64())
                    return HttpResponse::html("<html><head><title>welcome</title></head></html>");
                HttpResponse refused = HttpResponse::html("<html><head><title>refused</title></head></html>");
                refused.status = 401;
                refused.headers.append(qMakePair(QByteArray("WWW-Authenticate"), "Basic realm=\"" + QUrl::fromPercentEncoding(request.path.mid(8)).toUtf8() + "\""));
                return refused;
            }
            if (request.path == "/slow") {
                QThread::msleep(4000);
                return HttpResponse::html("<html><body>late</body></html>");
            }
            HttpResponse missing = HttpResponse::html("<html><body>missing</body></html>");
            missing.status = 404;
            return missing;
        });
        QWebEngineProfile::defaultProfile()->setDownloadPath(downloads.filePath(QStringLiteral("default")));
        w = openWindow();
    }

    void cleanup()
    {
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join(QLatin1Char('\n'))));
    }

    void typedAddressesAreKept()
    {
        const QString a = server.urlString("/a"), b = server.urlString("/b");
        go(w.get(), a);
        go(w.get(), b);
        // Browsed to by the program itself: a link in the page, a link in the list.
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        go(w.get(), a);
        runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QStringLiteral("document.getElementById('l').click()"));
        QVERIFY(loaded.wait(15000));
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/c"));
        go(w.get(), b);
        // Refused by Go: not kept.
        child<TAddressCombo>(&*w, "AddressBox")->SetText(QStringLiteral("   "));
        child<QPushButton>(&*w, "gotobutton")->click();
        QVERIFY(status(w.get()).startsWith(QStringLiteral("Unable to navigate to ")));
        // The list follows at once.
        QCOMPARE(child<TAddressCombo>(&*w, "AddressBox")->Items(), (QStringList{b, a}));

        w.reset();
        auto second = openKeepingSettings();
        QCOMPARE(child<TAddressCombo>(&*second, "AddressBox")->Items(), (QStringList{b, a}));
        go(second.get(), a);
        QCOMPARE(child<TAddressCombo>(&*second, "AddressBox")->Items(), (QStringList{a, b}));
        second.reset();
        w = openKeepingSettings();
        const QStringList items = child<TAddressCombo>(&*w, "AddressBox")->Items();
        QCOMPARE(items, (QStringList{a, b}));
        QVERIFY(!items.contains(QString::fromLatin1(TSurfWindow::kHomePage)));
    }

    void signIn_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("realm");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("title");
        // Each row has a realm of its own: the engine keeps credentials per realm.
        QTest::newRow("cancelled: the server's page")
            << QByteArray("/secret/Back%20Office") << "Back Office" << false << "refused";
        QTest::newRow("answered") << QByteArray("/secret/Staff%20Area") << "Staff Area" << true << "welcome";
    }

    void signIn()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, realm);
        QFETCH(bool, answered);
        QFETCH(QString, title);
        QString message;
        whenDialogShows<AuthenticationDialog>([&](AuthenticationDialog *dialog) {
            message = dialog->findChild<QLabel *>(QStringLiteral("Message"))->text();
            dialog->UserName->setText(QStringLiteral("tester"));
            dialog->Password->setText(QStringLiteral("p@ss word"));
            if (answered)
                dialog->accept();
            else
                dialog->reject();
        });
        server.clearRequests();
        go(w.get(), server.urlString(path));
        QCOMPARE(message, QStringLiteral("The server 127.0.0.1 asks for a user name and password. It says: \"%1\".")
                              .arg(realm));
        QCOMPARE(runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QStringLiteral("document.title")).toString(), title);
        const QList<HttpRequest> requests = server.requestsTo(path);
        QVERIFY(!requests.isEmpty());
        QCOMPARE(requests.first().header("Authorization"), QByteArray());
        if (answered)
            QCOMPARE(requests.last().header("Authorization"), "Basic " + QByteArray("tester:p@ss word").toBase64());
        else
            QCOMPARE(requests.size(), 1);
    }

    void download_data()
    {
        QTest::addColumn<bool>("external");
        QTest::addColumn<bool>("saved");
        QTest::newRow("main window, saved") << false << true;
        QTest::newRow("main window, cancelled") << false << false;
        QTest::newRow("external window, saved") << true << true;
    }

    void download()
    {
        QFETCH(bool, external);
        QFETCH(bool, saved);
        QTemporaryDir target;
        const QString file = target.filePath(QStringLiteral("saved.bin"));
        QWidget *asking = w.get();
        QWidget *other = w->externalWindow();
        QWebEnginePage *page = child<TWebBrowser>(&*w, "WebBrowser2")->page();
        if (external) {
            // A page in the external window asks; its status line tells.
            runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QStringLiteral("window.open('%1'); 1").arg(server.urlString("/a")));
            QTRY_VERIFY(w->externalWindow()->isVisible());
            QTRY_COMPARE_WITH_TIMEOUT(status(w->externalWindow()), QStringLiteral("Status: Done"), 15000);
            QCOMPARE(child<TWebBrowser>(w->externalWindow(), "WebBrowser2")->url(), server.url("/a"));
            std::swap(asking, other);
            page = child<TWebBrowser>(w->externalWindow(), "WebBrowser2")->page();
        } else {
            go(w.get(), server.urlString("/a"));
        }
        const QString otherStatus = status(other);

        QStringList presentWhileAsking;
        QString suggested, dialogName;
        whenDialogShows<QFileDialog>([&](QFileDialog *dialog) {
            dialogName = dialog->objectName();
            suggested = dialog->selectedFiles().value(0);
            // Nothing is written before the user has chosen.
            presentWhileAsking = QDir(target.path()).entryList(QDir::Files) +
                                 QDir(downloads.filePath(QStringLiteral("default"))).entryList(QDir::Files);
            if (saved) {
                dialog->setDirectory(target.path());
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("saved.bin"));
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                dialog->reject();
            }
        });
        runJs(page, QStringLiteral("document.getElementById('d').click(); 1"));
        const QString expected = QStringLiteral("Status: ") +
                                 (saved ? QStringLiteral("Download complete: ") + QDir::toNativeSeparators(file)
                                        : QStringLiteral("Download of data.bin cancelled"));
        QTRY_COMPARE_WITH_TIMEOUT(status(asking), expected, 15000);
        QCOMPARE(dialogName, QStringLiteral("DownloadDialog"));
        QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("data.bin"));
        QCOMPARE(presentWhileAsking, QStringList());
        QCOMPARE(status(other), otherStatus);
        if (saved) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), downloadBytes());
        } else {
            QTest::qWait(300);
            QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList());
            QCOMPARE(QDir(downloads.filePath(QStringLiteral("default"))).entryList(QDir::Files), QStringList());
        }
        w->externalWindow()->Button1Click();
    }

    void rendererEnds_data()
    {
        QTest::addColumn<bool>("byReload");
        QTest::newRow("Go brings the page back") << false;
        QTest::newRow("F5 brings the page back") << true;
    }

    void rendererEnds()
    {
        QFETCH(bool, byReload);
        go(w.get(), server.urlString("/b"));
        const QList<QByteArray> rows = column(child<TListGrid>(&*w, "surfdata"), UrlColumn);
        const qint64 pid = child<TWebBrowser>(&*w, "WebBrowser2")->page()->renderProcessPid();
        QVERIFY(pid > 0);
        QSignalSpy ended(child<TWebBrowser>(&*w, "WebBrowser2")->page(), &QWebEnginePage::renderProcessTerminated);
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QVERIFY(ended.wait(10000));
        QCOMPARE(status(w.get()), QStringLiteral("Status: The page's process was killed (out of memory, or by another "
                                                 "program); reload the page to show it again"));
        QTest::qWait(200);
        QCOMPARE(column(child<TListGrid>(&*w, "surfdata"), UrlColumn), rows);
        QCOMPARE(child<TAddressCombo>(&*w, "AddressBox")->Text(), server.urlString("/b"));

        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        if (byReload) {
            child<TWebBrowser>(&*w, "WebBrowser2")->setFocus();
            QTest::keyClick(w.get(), Qt::Key_F5);
        } else {
            child<QPushButton>(&*w, "gotobutton")->click();
        }
        QVERIFY(loaded.wait(15000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QStringLiteral("document.title")).toString(), QStringLiteral("page b"));
        QCOMPARE(status(w.get()), QStringLiteral("Status: Done"));
        QVERIFY(child<TWebBrowser>(&*w, "WebBrowser2")->page()->renderProcessPid() != pid);
    }

    void browserKeys()
    {
        go(w.get(), server.urlString("/b"));
        go(w.get(), server.urlString("/c"));
        QWidget *surface = child<TWebBrowser>(&*w, "WebBrowser2")->focusProxy();
        QVERIFY(surface);
        surface->setFocus();
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        QTest::keyClick(surface, Qt::Key_Left, Qt::AltModifier);
        QVERIFY(loaded.wait(15000));
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/b"));
        QTest::keyClick(surface, Qt::Key_Right, Qt::AltModifier);
        QVERIFY(loaded.wait(15000));
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/c"));

        // F5 asks the server again.
        server.clearRequests();
        QTest::keyClick(surface, Qt::Key_F5);
        QVERIFY(loaded.wait(15000));
        QCOMPARE(server.requestsTo("/c").size(), 1);

        // Ctrl+L: the address box, its whole text selected.
        QTest::keyClick(surface, Qt::Key_L, Qt::ControlModifier);
        QLineEdit *edit = child<TAddressCombo>(&*w, "AddressBox")->lineEdit();
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), server.urlString("/c"));
        // Alt+Left works from there too; Enter in the box still does not browse.
        QTest::keyClick(edit, Qt::Key_Left, Qt::AltModifier);
        QVERIFY(loaded.wait(15000));
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/b"));
        const int rows = child<TListGrid>(&*w, "surfdata")->RowCount();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::qWait(500);
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), server.url("/b"));
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), rows);

        // The list's pop-up menu has no keys of its own.
        for (QAction *action : child<QMenu>(&*w, "PopupMenu1")->actions())
            QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));

        // The external window: Ctrl+L selects its address field.
        runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QStringLiteral("window.open('%1'); 1").arg(server.urlString("/c")));
        Tsurfwindow2 *x = w->externalWindow();
        QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>(x, "url1")->text(), server.urlString("/c"), 15000);
        x->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(x));
        child<TWebBrowser>(x, "WebBrowser2")->setFocus();
        QTest::keyClick(x, Qt::Key_L, Qt::ControlModifier);
        QTRY_VERIFY(child<QLineEdit>(x, "url1")->hasFocus());
        QCOMPARE(child<QLineEdit>(x, "url1")->selectedText(), server.urlString("/c"));
        x->Button1Click();
    }

    void escapeStopsALoad()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        child<TAddressCombo>(&*w, "AddressBox")->SetText(server.urlString("/slow"));
        child<QPushButton>(&*w, "gotobutton")->click();
        QVERIFY(server.waitForRequest("/slow", 5000));
        QWidget *surface = child<TWebBrowser>(&*w, "WebBrowser2")->focusProxy();
        surface->setFocus();
        // The key reaches the view's shortcut only once the view has the focus.
        QTRY_VERIFY(surface->hasFocus());
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(surface, Qt::Key_Escape);
        QVERIFY(loaded.wait(10000));
        QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(loaded.first().first().toBool(), false);
    }

    void certificateRefused()
    {
        // A server whose certificate nobody vouches for: the engine's error page stays, and no
        // request reaches the server (an accepted certificate would send one on a new connection).
        QFile certFile(QStringLiteral(TS_TLS_DIR "/selfsigned.crt")), keyFile(QStringLiteral(TS_TLS_DIR "/selfsigned.key"));
        QVERIFY(certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(&certFile));
        tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
        QSslServer tlsServer;
        tlsServer.setSslConfiguration(tls);
        QVERIFY(tlsServer.listen(QHostAddress::LocalHost));
        QByteArray received;
        int connections = 0;
        connect(&tlsServer, &QSslServer::startedEncryptionHandshake, this, [&] { ++connections; });
        connect(&tlsServer, &QSslServer::pendingConnectionAvailable, this, [&] {
            while (QSslSocket *socket = qobject_cast<QSslSocket *>(tlsServer.nextPendingConnection()))
                connect(socket, &QSslSocket::readyRead, this, [&received, socket] { received += socket->readAll(); });
        });

        const QString address = QStringLiteral("https://127.0.0.1:%1/private").arg(tlsServer.serverPort());
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        child<TAddressCombo>(&*w, "AddressBox")->SetText(address);
        child<QPushButton>(&*w, "gotobutton")->click();
        QVERIFY(loaded.wait(15000));
        QCOMPARE(loaded.first().first().toBool(), false);
        QVERIFY(status(w.get()).startsWith(QStringLiteral("Status: The certificate of 127.0.0.1 was refused: ")));
        QVERIFY(status(w.get()).size() > QStringLiteral("Status: The certificate of 127.0.0.1 was refused: ").size());
        QTest::qWait(300);
        QVERIFY(connections > 0);
        QCOMPARE(received, QByteArray());
    }

    void windowIcon()
    {
        QCOMPARE(QGuiApplication::desktopFileName(), QString::fromLatin1(kDesktopId));
        const QIcon icon = trailscribeIcon();
        QVERIFY(!icon.pixmap(48, 48).isNull());
        QVERIFY(!w->windowIcon().pixmap(32, 32).isNull());
        QVERIFY(!w->externalWindow()->windowIcon().pixmap(32, 32).isNull());
    }
};

TS_APP_TEST_MAIN(TestE2EDesktop)
#include "tst_e2e_desktop.moc"
