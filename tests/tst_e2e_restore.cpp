// The program killed while it records, and started again: the journal it left brings the list
// back (or is deleted), with the real main window, the real engine and a local server. The
// killed program is this test run again as a child process, recording real posts; it shares
// the test's home folder, so its journal lands where the next start looks.

#include "tests/support/testfiles.h"
#include "tests/support/apptestsupport.h"
#include "tests/support/harfixtures.h"
#include "tests/support/httpserver.h"
#include "addressbox/addresscombo.h"
#include "app/startup.h"
#include "core/harwriter.h"
#include "core/listcolumn.h"
#include "core/requestlistmodel.h"
#include "journal/journal.h"
#include "journal/journalfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <csignal>
#include <cstdio>

using namespace apptest;

namespace {
const char kChildServer[] = "TS_RESTORE_CHILD_SERVER";
const char kChildOut[] = "TS_RESTORE_CHILD_OUT";

QStringList journalFiles()
{
    return QDir(Journal::defaultFolder()).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
}

// The child: the program as it starts, recording a urlencoded post, a text/plain post with zero
// bytes and a body it cannot be sure of (a marked row); it saves what its list holds, says how
// many rows, and waits to be killed.
int runChild(const QString &server, const QString &out)
{
    std::unique_ptr<TSurfWindow> w = startTrailscribe({});
    QSignalSpy homeLoaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
    w->show();
    if (homeLoaded.isEmpty() && !homeLoaded.wait(20000))
        return 2;
    TListGrid *list = child<TListGrid>(&*w, "surfdata");
    auto post = [&](const char *page, const char *script) {
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        child<TAddressCombo>(&*w, "AddressBox")->SetText(server + QLatin1String(page));
        child<QPushButton>(&*w, "gotobutton")->click();
        if (!loaded.wait(15000))
            return false;
        const int rows = list->RowCount();
        runJs(child<TWebBrowser>(&*w, "WebBrowser2")->page(), QString::fromLatin1(script));
        return QTest::qWaitFor([&] { return list->RowCount() > rows && list->RowRequest(rows).method == "POST"; }, 15000);
    };
    if (!post("/form", "document.forms[0].submit()") || !post("/nulform", "document.forms[0].submit()")
        || !post("/decoy", "new FormData(document.getElementById('A')); document.getElementById('B').submit();"))
        return 3;
    const int marked = list->RowCount() - 1;
    if (!QTest::qWaitFor([&] { return !list->RowDoubt(marked).isEmpty(); }, 5000))
        return 4;
    // Let the engine's late reports settle, then give the journal its second.
    QTest::qWait(2000);
    list->SaveCsv(out + QLatin1String("/list.csv"));
    SaveHar(*list->model(), out + QLatin1String("/list.har"));
    std::printf("recorded %d\n", list->model()->rows());
    std::fflush(stdout);
    return QApplication::exec();
}
} // namespace

class TestE2ERestore : public QObject
{
    Q_OBJECT
    HttpServer server;
    QTemporaryDir out;
    QStringList reports;

    // Runs the child until it has recorded, then kills it outright. Returns how many rows its
    // list held; its CSV and HAR are in out.
    int recordAndKill()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildServer), server.urlString(""));
        env.insert(QString::fromLatin1(kChildOut), out.path());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForStarted())
            return -1;
        QByteArray said;
        const bool ended = QTest::qWaitFor([&] {
            said += child.readAllStandardOutput();
            return said.contains('\n') || child.state() == QProcess::NotRunning;
        }, 120000);
        if (!ended)
            qWarning("the child did not record in time");
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        if (!said.startsWith("recorded ")) {
            qWarning() << "child said" << said << "exit" << child.exitCode();
            return -1;
        }
        return said.mid(9).trimmed().toInt();
    }

    // The program's start, answering its questions; waits until the home page is in.
    std::unique_ptr<TSurfWindow> start(ModalAnswerer &answerer, const QStringList &arguments = {})
    {
        clearStoredPlacement();
        std::unique_ptr<TSurfWindow> w = startTrailscribe(arguments);
        if (!answerer.allAnswered())
            qWarning("a question was not asked");
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        w->show();
        if (!loaded.wait(20000))
            qWarning("home page did not load");
        return w;
    }

private slots:
    void initTestCase()
    {
        setErrorReportSink([this](const QString &t) { reports << t; });
        QVERIFY(out.isValid());
        QVERIFY(server.listen());
        server.route("/form", HttpResponse::html(
            "<html><body><form method=post action='/post'><input name=a value='1 2&3'><input name=b value='caf&eacute;'>"
            "</form></body></html>"));
        server.route("/nulform", HttpResponse::html(
            "<html><body><form method=post action='/post' enctype='text/plain'><input type=hidden name=n></form>"
            "<script>document.forms[0].elements.n.value = 'a\\u0000b';</script></body></html>"));
        server.route("/decoy", HttpResponse::html(
            "<html><body><form id=A method=post action='/post' enctype=multipart/form-data><input name=a value='decoy'></form>"
            "<form id=B method=post action='/post' target=t enctype=multipart/form-data><input name=b value='real'></form>"
            "<iframe name=t></iframe></body></html>"));
        server.route("/post", HttpResponse::html("<html><body>posted</body></html>"));
    }

    void init()
    {
        reports.clear();
        QDir(Journal::defaultFolder()).removeRecursively();
    }
    void cleanup() { QVERIFY2(reports.isEmpty(), qPrintable(reports.join(u'\n'))); }

    // Enter takes the rows back: the same cells, requests and marks as the killed program's,
    // before the new home page's row, and in the new program's journal from then on.
    void restoreBringsTheListBack()
    {
        const int rows = recordAndKill();
        QVERIFY(rows >= 7);
        const QList<JournalInfo> left = unfinishedJournals(Journal::defaultFolder());
        QCOMPARE(left.size(), 1);
        const QString leftFile = left.first().fileName;

        ModalAnswerer answerer({ModalAnswerer::pressEnter()});
        auto w = start(answerer);
        QCOMPARE(answerer.titles, QStringList{QStringLiteral("Restore Recording")});
        const QString question = answerer.texts.value(0);
        QVERIFY2(question.startsWith(QStringLiteral("Trailscribe did not close normally. Restore the list it was recording? (%1 "
                                                    "addresses, the last at ").arg(rows)),
                 qPrintable(question));
        QCOMPARE(question, restoreQuestion(left.first()));

        const RequestListModel *model = child<TListGrid>(&*w, "surfdata")->model();
        QCOMPARE(model->rows(), rows + 1);
        QCOMPARE(model->url(rows), QByteArray(TSurfWindow::kHomePage));
        child<TListGrid>(&*w, "surfdata")->SaveCsv(out.filePath(QStringLiteral("restored.csv")));
        const QByteArray csv = readFile(out.filePath(QStringLiteral("restored.csv")));
        const QByteArray recordedCsv = readFile(out.filePath(QStringLiteral("list.csv")));
        QVERIFY2(csv.startsWith(recordedCsv), csv.constData());
        QCOMPARE(csv.mid(recordedCsv.size()), QByteArray(TSurfWindow::kHomePage) + ",\"\"\r\n");
        QCOMPARE(harDocument(harRows(*model).mid(0, rows)), readFile(out.filePath(QStringLiteral("list.har"))));
        QVERIFY(!model->doubt(rows - 1).isEmpty());

        // The old journal has gone; the new one holds the rows.
        QVERIFY(!QFile::exists(leftFile));
        const QStringList now = journalFiles();
        QCOMPARE(now.size(), 1);
        const JournalContents held = readJournal(QDir(Journal::defaultFolder()).filePath(now.first()));
        QCOMPARE(held.error, QString());
        QVERIFY(held.rows.size() >= rows);
        for (int i = 0; i < rows; ++i) {
            QCOMPARE(held.rows[i].url, model->url(i));
            QCOMPARE(held.rows[i].request, model->request(i));
        }

        // A normal end takes the journal away.
        child<QToolButton>(&*w, "ToolButton7")->click(); // "Close"
        QTRY_VERIFY(!w->isVisible());
        QTRY_COMPARE(journalFiles(), QStringList());
    }

    void discardDeletesTheJournal()
    {
        QVERIFY(recordAndKill() > 0);
        QCOMPARE(unfinishedJournals(Journal::defaultFolder()).size(), 1);
        ModalAnswerer answerer({ModalAnswerer::click(QStringLiteral("Discard"))});
        auto w = start(answerer);
        QCOMPARE(column(child<TListGrid>(&*w, "surfdata"), UrlColumn), QByteArrayList{TSurfWindow::kHomePage});
        // Only the running program's own journal is left.
        QCOMPARE(journalFiles().size(), 1);
        QVERIFY(unfinishedJournals(Journal::defaultFolder()).isEmpty());
    }

    // A journal that cannot be read is named, and the start goes on.
    void anUnreadableJournalIsNamedAndSkipped()
    {
        QVERIFY(QDir().mkpath(Journal::defaultFolder()));
        const QString broken = QDir(Journal::defaultFolder()).filePath(QStringLiteral("broken.db"));
        QVERIFY(writeFile(broken, QByteArray(4096, 'x')));
        ModalAnswerer answerer({ModalAnswerer::pressEnter()});
        auto w = start(answerer);
        QCOMPARE(answerer.titles, QStringList{QStringLiteral("Restore Recording")});
        QVERIFY2(answerer.texts.value(0).contains(QDir::toNativeSeparators(broken)), qPrintable(answerer.texts.value(0)));
        QVERIFY(answerer.texts.value(0).contains(QStringLiteral("cannot be read")));
        QCOMPARE(column(child<TListGrid>(&*w, "surfdata"), UrlColumn), QByteArrayList{TSurfWindow::kHomePage});
    }

    // A HAR file on the command line: its rows before the home page's.
    void aHarFileOnTheCommandLineOpensAtStart()
    {
        const QList<HarRow> rows{{"http://h.test/a", harfixture::record("GET", {}, {})},
                                 {"http://h.test/b", harfixture::record("POST", "x=1", "application/x-www-form-urlencoded")}};
        const QString file = out.filePath(QStringLiteral("start.har"));
        QVERIFY(writeFile(file, harDocument(rows)));
        ModalAnswerer none({});
        auto w = start(none, {file});
        QCOMPARE(column(child<TListGrid>(&*w, "surfdata"), UrlColumn),
                 (QByteArrayList{"http://h.test/a", "http://h.test/b", TSurfWindow::kHomePage}));
        QCOMPARE(none.titles, QStringList());
    }

    // A journal that cannot be written: the status line says why, and the list records on.
    void aJournalThatStopsIsReportedAndRecordingGoesOn()
    {
        // A file where the journal's folder should be.
        QVERIFY(QDir().mkpath(QFileInfo(Journal::defaultFolder()).path()));
        QVERIFY(writeFile(Journal::defaultFolder(), "in the way"));
        clearStoredPlacement();
        std::unique_ptr<TSurfWindow> w = startTrailscribe({});
        QSignalSpy said(child<QStatusBar>(&*w, "StatusBar1"), &QStatusBar::messageChanged);
        QSignalSpy loaded(child<TWebBrowser>(&*w, "WebBrowser2"), &QWebEngineView::loadFinished);
        w->show();
        auto *journal = w->findChild<Journal *>();
        QVERIFY(journal);
        QTRY_VERIFY(!journal->isRecording());
        QVERIFY(!journal->errorText().isEmpty());
        QVERIFY(loaded.wait(20000));
        QCOMPARE(column(child<TListGrid>(&*w, "surfdata"), UrlColumn), QByteArrayList{TSurfWindow::kHomePage});
        int times = 0;
        for (const QList<QVariant> &message : said)
            times += message.first().toString() == journal->errorText();
        QCOMPARE(times, 1);
        QFile::remove(Journal::defaultFolder());
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    const QString childServer = qEnvironmentVariable(kChildServer);
    std::unique_ptr<QTemporaryDir> home;
    if (childServer.isEmpty()) {
        // The test and its children keep their journals and settings in a home of their own.
        home = std::make_unique<QTemporaryDir>();
        qputenv("HOME", QFile::encodeName(home->path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home->filePath(QStringLiteral(".config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home->filePath(QStringLiteral(".local/share"))));
    }
    TrailscribeApplication app(argc, argv);
    if (!childServer.isEmpty())
        return runChild(childServer, qEnvironmentVariable(kChildOut));
    TestE2ERestore tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_e2e_restore.moc"
