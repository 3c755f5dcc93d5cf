// The journal of the list: what it writes comes back row for row, after a normal run and after
// the program was killed; damaged files give what is intact; the files are the user's alone and
// a cleared list leaves none of its bytes in them; faults stop the journal, once and plainly.
#include "journal/journal.h"
#include "journalfixture.h"
#include "journalsupport.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>

using namespace journalfixture;
using namespace journalsupport;

namespace {

constexpr int kLargeRows = 100000;

QByteArray streamUrl(int n)
{
    return "http://stream.test/" + QByteArray::number(n);
}

QByteArray largeUrl(int n)
{
    return "http://www.example.com/path/" + QByteArray::number(n) + "/form.html?q=" + QByteArray::number(n * 7919);
}

RequestRecord largeRecord(int n)
{
    return record("POST", bytes(1000, n), "application/x-www-form-urlencoded", RequestWindow::Main, n);
}

// The program the crash tests kill: it records a list into a journal and says how far it got on
// its standard output. "fixture": the fixture list, then a row every 20 ms; "large": 100,000
// rows with 1,000-byte bodies.
int recordUntilKilled(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    RequestListModel model;
    Journal journal(&model, {QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]), 250});
    QTimer stream;
    int n = 0;
    if (mode == QLatin1String("large")) {
        for (int i = 0; i < kLargeRows; ++i)
            append(model, largeUrl(i), largeRecord(i));
        journal.flush();
    } else {
        fillList(model);
        QObject::connect(&stream, &QTimer::timeout, [&] {
            append(model, streamUrl(n), record("POST", bytes(1000, n), "text/plain", RequestWindow::Main, n));
            std::printf("row %d\n", n++);
            std::fflush(stdout);
        });
        stream.start(20);
    }
    std::printf("filled\n");
    std::fflush(stdout);
    return app.exec();
}

// The same list rebuilt in a model of its own.
QString rebuiltDifference(const RequestListModel &model, const JournalContents &contents)
{
    RequestListModel rebuilt;
    rebuilt.resizeRows(0);
    restoreInto(rebuilt, contents);
    if (rebuilt.rows() != model.rows())
        return QStringLiteral("%1 rows rebuilt of %2").arg(rebuilt.rows()).arg(model.rows());
    for (int r = 0; r < model.rows(); ++r) {
        for (int col = 0; col < RequestListModel::kColumns; ++col)
            if (rebuilt.cellText(col, r) != model.cellText(col, r))
                return QStringLiteral("cell %1,%2 shows %3").arg(col).arg(r).arg(shown(rebuilt.cellText(col, r)));
        const QString d = difference(rowOf(model, r), rowOf(rebuilt, r));
        if (!d.isEmpty())
            return QStringLiteral("row %1: %2").arg(r).arg(d);
    }
    for (int col = 0; col < RequestListModel::kColumns; ++col)
        if (rebuilt.heading(col) != model.heading(col))
            return QStringLiteral("heading %1: %2").arg(col).arg(shown(rebuilt.heading(col)));
    return {};
}

enum class Damage { LogCut, LogGarbage, FileGarbage, BadPage, FileCut, NotADatabase, Empty };
enum class Expect { All, Prefix, Part, BothEnds, Nothing };
enum class Fault { FolderUnderAFile, ReadOnlyFolder, Locked };
enum class Script {
    Fixture,
    KeysRunOut,
    ClearedAndRecordedAgain,
    GoneBeforeCommitted,
    LateBodyAfterCommit,
    RowsAroundTheRowBeingWritten,
};

void runScript(Script script, RequestListModel &model, Journal &journal)
{
    switch (script) {
    case Script::Fixture:
        fillList(model);
        break;
    case Script::KeysRunOut:
        // Each row goes between the first and the one put there before it: the room between
        // two rows halves every time, until the rows have to be numbered again.
        append(model, "a", record("GET", {}, {}, RequestWindow::Main, 0));
        append(model, "z", record("GET", {}, {}, RequestWindow::Main, 0));
        for (int i = 0; i < 70; ++i) {
            model.insertRows(1, 1);
            model.setCellText(UrlColumn, 1, "between-" + QByteArray::number(i));
            if (i == 40)
                journal.flush();
        }
        model.insertRows(0, 5);
        model.insertRows(30, 3);
        model.setCellText(UrlColumn, 31, "block");
        break;
    case Script::ClearedAndRecordedAgain:
        fillList(model);
        journal.flush();
        model.removeRows(2, 3);
        model.blankRows();
        append(model, "http://after.test/1", record("POST", "p=1", "text/plain", RequestWindow::Main, 1));
        append(model, "http://after.test/2", record("GET", {}, {}, RequestWindow::External, 2));
        break;
    case Script::GoneBeforeCommitted:
        fillList(model);
        model.removeRows(0, model.rows() - 2);
        break;
    case Script::RowsAroundTheRowBeingWritten:
        // Rows put before, and taken away around, the row whose changes are still coming.
        append(model, "http://a.test/", record("GET", {}, {}, RequestWindow::Main, 1));
        append(model, "http://b.test/", record("GET", {}, {}, RequestWindow::Main, 2));
        model.setDoubt(1, QStringLiteral("b"));
        model.insertRows(0, 2);
        model.setCellText(UrlColumn, 1, "http://put-before.test/");
        model.setDoubt(3, QStringLiteral("b again"));
        model.removeRows(0, 1);
        model.setCellText(UrlColumn, 0, "http://put-before-too.test/");
        model.setBody(2, record("POST", "b=1", "text/plain", RequestWindow::Main, 2));
        model.removeRows(2, 1);
        model.setDoubt(1, QStringLiteral("a"));
        break;
    case Script::LateBodyAfterCommit:
        append(model, "http://late.test/", record("GET", {}, {}, RequestWindow::Main, 1));
        journal.flush();
        model.setBody(0, record("POST", bytes(5000, 3), "application/octet-stream", RequestWindow::Main, 1));
        model.setDoubt(0, QStringLiteral("came late"));
        break;
    }
}

} // namespace

class TstJournal : public QObject
{
    Q_OBJECT
private slots:
    void readsBackTheList_data()
    {
        QTest::addColumn<Script>("script");
        QTest::newRow("every kind of row") << Script::Fixture;
        QTest::newRow("rows put before others until the keys run out") << Script::KeysRunOut;
        QTest::newRow("cleared and recorded again") << Script::ClearedAndRecordedAgain;
        QTest::newRow("rows deleted before they were committed") << Script::GoneBeforeCommitted;
        QTest::newRow("a body after the row was committed") << Script::LateBodyAfterCommit;
        QTest::newRow("rows around the row being written") << Script::RowsAroundTheRowBeingWritten;
    }
    void readsBackTheList()
    {
        QFETCH(Script, script);
        QTemporaryDir dir;
        RequestListModel model;
        QString fileName;
        {
            Journal journal(&model, {dir.path(), {}, 250});
            runScript(script, model, journal);
            journal.flush();
            QVERIFY2(journal.isRecording(), qPrintable(journal.errorText()));
            fileName = journal.fileName();
            const JournalContents contents = readJournal(fileName);
            QVERIFY2(contents.error.isEmpty(), qPrintable(contents.error));
            QVERIFY(contents.damage.isEmpty());
            QCOMPARE(contents.rows.size(), model.rows());
            QVERIFY2(listDifference(model, contents.rows).isEmpty(), qPrintable(listDifference(model, contents.rows)));
            QVERIFY2(rebuiltDifference(model, contents).isEmpty(), qPrintable(rebuiltDifference(model, contents)));
            // A running program's journal is not one left behind.
            QVERIFY(unfinishedJournals(dir.path()).isEmpty());
        }
        // A normal end leaves nothing.
        QCOMPARE(journalFiles(dir.path()), QStringList());
    }

    void restoresAfterTheProgramWasKilled()
    {
        QTemporaryDir dir;
        Recorder first, second;
        first.start(QStringLiteral("fixture"), dir.path(), QStringLiteral("first.db"));
        QTRY_VERIFY_WITH_TIMEOUT(first.said("filled"), 30000);
        second.start(QStringLiteral("fixture"), dir.path(), QStringLiteral("second.db"));
        QTRY_VERIFY_WITH_TIMEOUT(second.said("filled"), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(first.said("row 60"), 30000);
        const qint64 killedAt = first.clock.elapsed();
        first.kill();
        // Every row the program had for a second before it was killed.
        int committed = -1;
        for (const auto &[at, line] : std::as_const(first.lines))
            if (line.startsWith("row ") && at < killedAt - 1000)
                committed = line.mid(4).toInt();
        QVERIFY(committed >= 0);

        // The other program still runs: its journal is not offered.
        QList<JournalInfo> left = unfinishedJournals(dir.path());
        QCOMPARE(left.size(), 1);
        QCOMPARE(QFileInfo(left[0].fileName).fileName(), QStringLiteral("first.db"));

        RequestListModel expected;
        fillList(expected);
        const JournalContents contents = readJournal(left[0].fileName);
        QVERIFY2(contents.error.isEmpty(), qPrintable(contents.error));
        QVERIFY2(listDifference(expected, contents.rows).isEmpty(), qPrintable(listDifference(expected, contents.rows)));
        QCOMPARE(contents.headings[1], expected.heading(1));
        const int streamed = int(contents.rows.size()) - expected.rows();
        QVERIFY2(streamed > committed, qPrintable(QStringLiteral("%1 rows back, %2 were a second old")
                                                     .arg(streamed).arg(committed + 1)));
        qint64 addresses = 0;
        for (int i = 0; i < contents.rows.size(); ++i) {
            addresses += contents.rows[i].url.isEmpty() ? 0 : 1;
            if (i < expected.rows())
                continue;
            const int n = i - expected.rows();
            QCOMPARE(contents.rows[i].url, streamUrl(n));
            QCOMPARE(contents.rows[i].request.body, bytes(1000, n));
        }
        QCOMPARE(left[0].addresses, addresses);
        QCOMPARE(left[0].lastAddress, contents.rows.last().request.recorded);
        QCOMPARE(restoreQuestion(left[0]),
                 QStringLiteral("Trailscribe did not close normally. Restore the list it was recording? "
                                "(%1 addresses, the last at %2)")
                     .arg(addresses)
                     .arg(left[0].lastAddress.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));

        // Both gone: both offered, the older first. Discarding one leaves the other.
        second.kill();
        left = unfinishedJournals(dir.path());
        QCOMPARE(left.size(), 2);
        QCOMPARE(QFileInfo(left[0].fileName).fileName(), QStringLiteral("first.db"));
        QCOMPARE(QFileInfo(left[1].fileName).fileName(), QStringLiteral("second.db"));
        QVERIFY(discardJournal(left[0].fileName));
        QVERIFY(!journalFiles(dir.path()).join(' ').contains(QLatin1String("first.db")));
        left = unfinishedJournals(dir.path());
        QCOMPARE(left.size(), 1);
        QCOMPARE(QFileInfo(left[0].fileName).fileName(), QStringLiteral("second.db"));
    }

    void aRowASecondOldIsInTheFile()
    {
        QTemporaryDir dir;
        RequestListModel model;
        Journal journal(&model, {dir.path(), {}, 250});
        append(model, "http://quiet.test/", record("POST", "q=1", "text/plain", RequestWindow::Main, 1));
        model.setDoubt(0, QStringLiteral("nothing else happens after this"));
        QTest::qWait(1000);
        const JournalContents contents = readJournal(journal.fileName());
        QVERIFY2(listDifference(model, contents.rows).isEmpty(), qPrintable(listDifference(model, contents.rows)));
    }

    void twoJournalsInOneFolder()
    {
        QTemporaryDir dir;
        RequestListModel one, two;
        Journal a(&one, {dir.path(), {}, 250});
        Journal b(&two, {dir.path(), {}, 250});
        QVERIFY(a.fileName() != b.fileName());
        append(one, "http://one.test/", record("POST", "one=1", "text/plain", RequestWindow::Main, 1));
        append(two, "http://two.test/", record("POST", "two=2", "text/plain", RequestWindow::External, 2));
        a.flush();
        b.flush();
        QVERIFY(a.isRecording() && b.isRecording());
        QVERIFY(QFile::exists(a.fileName() + ".lock") && QFile::exists(b.fileName() + ".lock"));
        QVERIFY(listDifference(one, readJournal(a.fileName()).rows).isEmpty());
        QVERIFY(listDifference(two, readJournal(b.fileName()).rows).isEmpty());
        // Held by a running program: neither offered nor deleted.
        QVERIFY(unfinishedJournals(dir.path()).isEmpty());
        QVERIFY(!discardJournal(a.fileName()));
        QVERIFY(QFile::exists(a.fileName()));
    }

    void damagedJournals_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<Expect>("expect");
        QTest::newRow("log cut off") << Damage::LogCut << Expect::Prefix;
        QTest::newRow("garbage after the log") << Damage::LogGarbage << Expect::All;
        QTest::newRow("garbage after the file") << Damage::FileGarbage << Expect::All;
        QTest::newRow("a bad page") << Damage::BadPage << Expect::BothEnds;
        QTest::newRow("file cut in half") << Damage::FileCut << Expect::Part;
        QTest::newRow("not a database") << Damage::NotADatabase << Expect::Nothing;
        QTest::newRow("an empty file") << Damage::Empty << Expect::Nothing;
    }
    void damagedJournals()
    {
        QFETCH(Damage, damage);
        QFETCH(Expect, expect);
        QTemporaryDir dir;
        RequestListModel model;
        const QString name = dir.filePath(QStringLiteral("left.db"));
        const QString wal = name + "-wal";
        {
            // 3,000 rows in 30 commits, copied as a killed program leaves its files (the index
            // in -shm is rebuilt from the log).
            Journal journal(&model, {dir.filePath(QStringLiteral("live")), {}, 250});
            for (int i = 0; i < 3000; ++i) {
                append(model, "http://torn.test/" + QByteArray::number(i),
                       record("POST", bytes(300, i), "text/plain", RequestWindow::Main, i));
                if (i % 100 == 99)
                    journal.flush();
            }
            QVERIFY(QFile::copy(journal.fileName(), name));
            QVERIFY(QFile::copy(journal.fileName() + "-wal", wal));
        }
        const bool inLog = damage == Damage::LogCut || damage == Damage::LogGarbage;
        if (!inLog) {
            // Read once, the log goes into the file: the damage is to the file itself.
            QCOMPARE(readJournal(name).rows.size(), 3000);
            QVERIFY(!QFile::exists(wal));
        }
        QFile file(inLog ? wal : name);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QRandomGenerator random(7);
        QByteArray garbage(64 * 1024, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
        const qint64 size = file.size();
        switch (damage) {
        case Damage::LogCut:
        case Damage::FileCut:
            QVERIFY(file.resize(size / 2));
            break;
        case Damage::LogGarbage:
        case Damage::FileGarbage:
            file.seek(size);
            file.write(garbage);
            break;
        case Damage::BadPage:
            file.seek(size / 4096 / 2 * 4096);
            file.write(garbage.left(4096));
            break;
        case Damage::NotADatabase:
            file.resize(0);
            file.write(garbage);
            break;
        case Damage::Empty:
            file.resize(0);
            break;
        }
        file.close();

        const JournalContents contents = readJournal(name);
        const QList<JournalRow> &rows = contents.rows;
        if (expect == Expect::Nothing) {
            QVERIFY(rows.isEmpty());
            QVERIFY2(contents.error.startsWith(QStringLiteral("The journal %1 cannot be read: ").arg(name)),
                     qPrintable(contents.error));
            return;
        }
        QVERIFY2(contents.error.isEmpty(), qPrintable(contents.error));
        if (expect == Expect::All) {
            QVERIFY(contents.damage.isEmpty());
            QVERIFY2(listDifference(model, rows).isEmpty(), qPrintable(listDifference(model, rows)));
            QCOMPARE(rows.size(), model.rows());
            return;
        }
        QVERIFY2(!rows.isEmpty() && rows.size() < model.rows(), qPrintable(QString::number(rows.size())));
        if (expect == Expect::Prefix) {
            // The log keeps whole commits: the rows of the commits before the cut.
            QVERIFY(contents.damage.isEmpty());
            QVERIFY2(listDifference(model, rows, 0, int(rows.size())).isEmpty(),
                     qPrintable(listDifference(model, rows, 0, int(rows.size()))));
            return;
        }
        // What comes back is intact, in order, and the reader says rows were lost.
        QVERIFY(!contents.damage.isEmpty());
        int at = 0;
        for (const JournalRow &row : rows) {
            const int n = row.url.mid(int(qstrlen("http://torn.test/"))).toInt();
            QVERIFY2(n >= at, "out of order");
            QVERIFY2(difference(rowOf(model, n), row).isEmpty(), qPrintable(difference(rowOf(model, n), row)));
            at = n + 1;
        }
        if (expect == Expect::BothEnds) {
            QCOMPARE(rows.first().url, model.url(0));
            QCOMPARE(rows.last().url, model.url(model.rows() - 1));
        }
    }

    void stopsOnceAndTheListGoesOn_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder cannot be made") << Fault::FolderUnderAFile
                                               << QStringLiteral("its folder %1 cannot be made");
        QTest::newRow("folder cannot be written") << Fault::ReadOnlyFolder
                                                  << QStringLiteral("its folder %1 cannot be written");
        QTest::newRow("locked by another program") << Fault::Locked
                                                   << QStringLiteral("its file is locked by another program");
    }
    void stopsOnceAndTheListGoesOn()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString folder = dir.filePath(QStringLiteral("journals"));
        std::unique_ptr<Mount> mount;
        std::unique_ptr<QLockFile> otherProgram;
        switch (fault) {
        case Fault::FolderUnderAFile: {
            QFile file(dir.filePath(QStringLiteral("a-file")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            folder = dir.filePath(QStringLiteral("a-file/journals"));
            break;
        }
        case Fault::ReadOnlyFolder:
            // The owner may write anywhere when root: only a read-only mount keeps it out.
            if (!root())
                QSKIP("needs root to mount a read-only file system");
            QVERIFY(QDir().mkdir(folder));
            mount = std::make_unique<Mount>(folder, QStringLiteral("size=1m,mode=0700"));
            if (!mount->mounted)
                QSKIP("tmpfs cannot be mounted here");
            QVERIFY(mount->remount(QStringLiteral("ro")));
            break;
        case Fault::Locked:
            QVERIFY(QDir().mkpath(folder));
            otherProgram = std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral("taken.db.lock")));
            QVERIFY(otherProgram->tryLock(0));
            break;
        }
        RequestListModel model;
        append(model, "http://before.test/", record("POST", "b=1", "text/plain", RequestWindow::Main, 1));
        Journal journal(&model, {folder, QStringLiteral("taken.db"), 100});
        QSignalSpy stopped(&journal, &Journal::stopped);
        QTRY_COMPARE(stopped.count(), 1);
        const QString text = QStringLiteral("The journal stopped: %1.").arg(reason.contains('%') ? reason.arg(folder) : reason);
        QCOMPARE(stopped.at(0).at(0).toString(), text);
        QCOMPARE(journal.errorText(), text);
        QVERIFY(!journal.isRecording());
        for (int i = 0; i < 20; ++i)
            append(model, "http://after.test/" + QByteArray::number(i),
                   record("POST", bytes(100, i), "text/plain", RequestWindow::Main, i));
        journal.flush();
        QTest::qWait(300);
        QCOMPARE(stopped.count(), 1);
        QCOMPARE(model.rows(), 21);
        QCOMPARE(model.request(20).body, bytes(100, 19));
        if (otherProgram)
            QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("taken.db.lock"))));
    }

    void stopsWhenTheDiskIsFull()
    {
        if (!root())
            QSKIP("needs root to mount a small file system");
        QTemporaryDir dir;
        Mount disk(dir.path(), QStringLiteral("size=1m"));
        if (!disk.mounted)
            QSKIP("tmpfs cannot be mounted here");
        const QString folder = dir.filePath(QStringLiteral("journals"));
        RequestListModel model;
        Journal journal(&model, {folder, {}, 100});
        QSignalSpy stopped(&journal, &Journal::stopped);
        for (int i = 0; i < 100; ++i) {
            append(model, "http://full.test/" + QByteArray::number(i),
                   record("POST", bytes(32 * 1024, i), "text/plain", RequestWindow::Main, i));
            if (i % 8 == 7)
                journal.flush();
        }
        QTRY_COMPARE(stopped.count(), 1);
        QCOMPARE(stopped.at(0).at(0).toString(), QStringLiteral("The journal stopped: the disk is full."));
        journal.flush();
        QTest::qWait(300);
        QCOMPARE(stopped.count(), 1);
        QCOMPARE(model.rows(), 100);
        QCOMPARE(model.request(99).body, bytes(32 * 1024, 99));
        // What was written goes, and frees the disk.
        QCOMPARE(journalFiles(folder), QStringList());
    }

    void clearingOverwritesTheClearedRows()
    {
        QTemporaryDir dir;
        RequestListModel model;
        Journal journal(&model, {dir.path(), {}, 250});
        const QByteArray secret = "pw=" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        for (int i = 0; i < 30; ++i)
            append(model, "http://login.test/" + QByteArray::number(i),
                   record("POST", "user=u&" + secret + "&n=" + QByteArray::number(i), "text/plain",
                          RequestWindow::Main, i));
        // Bodies over many pages, and the secret in an address and a text typed by hand.
        for (int i = 0; i < 3; ++i)
            append(model, "http://upload.test/", record("POST", bytes(300000, i) + secret + bytes(5000, i),
                                                        "application/octet-stream", RequestWindow::Main, i));
        append(model, "http://x.test/?" + secret, record("GET", {}, {}, RequestWindow::Main, 0));
        model.setCellText(PostDataColumn, model.rows() - 1, "typed " + secret);
        journal.flush();
        const QStringList files{journal.fileName(), journal.fileName() + "-wal", journal.fileName() + "-shm"};
        QByteArray before;
        for (const QString &f : files)
            before += fileBytes(f);
        QVERIFY(before.count(secret) >= 30);

        model.blankRows();
        append(model, "http://after.test/", record("POST", "a=1", "text/plain", RequestWindow::Main, 1));
        journal.flush();
        for (const QString &f : files)
            QVERIFY2(!fileBytes(f).contains(secret), qPrintable(f));
        const JournalContents contents = readJournal(journal.fileName());
        QVERIFY2(listDifference(model, contents.rows).isEmpty(), qPrintable(listDifference(model, contents.rows)));
    }

    void filesAreTheUsersAlone()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("journals"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7755)));
        const mode_t saved = ::umask(0); // nothing left to the umask
        RequestListModel model;
        Journal journal(&model, {folder, {}, 250});
        append(model, "http://p.test/", record("POST", "pw=1", "text/plain", RequestWindow::Main, 1));
        journal.flush();
        ::umask(saved);
        QVERIFY(journal.isRecording());
        QCOMPARE(modeOf(folder), 0700);
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            QVERIFY2(QFile::exists(journal.fileName() + suffix), qPrintable(suffix));
            QCOMPARE(modeOf(journal.fileName() + suffix), 0600);
        }
    }

    void restoresALargeList()
    {
        QTemporaryDir dir;
        Recorder program;
        program.start(QStringLiteral("large"), dir.path(), QStringLiteral("large.db"));
        QTRY_VERIFY_WITH_TIMEOUT(program.said("filled"), 180000);
        program.kill();
        const QList<JournalInfo> left = unfinishedJournals(dir.path());
        QCOMPARE(left.size(), 1);
        QCOMPARE(left[0].addresses, kLargeRows);
        QCOMPARE(left[0].lastAddress, largeRecord(kLargeRows - 1).recorded);

        QList<QPair<qint64, qint64>> calls;
        QElapsedTimer clock;
        clock.start();
        const JournalContents contents = readJournal(left[0].fileName, [&](qint64 done, qint64 total) {
            calls.append({done, total});
            return true;
        });
        const qint64 ms = clock.elapsed();
        qInfo("%d rows with 1,000-byte bodies read back in %lld ms", kLargeRows, ms);
        QVERIFY2(contents.error.isEmpty(), qPrintable(contents.error));
        QCOMPARE(contents.rows.size(), kLargeRows);
        for (int i : {0, 1, 4097, kLargeRows / 2, kLargeRows - 1}) {
            RequestListModel one;
            append(one, largeUrl(i), largeRecord(i));
            QVERIFY2(difference(rowOf(one, 0), contents.rows[i]).isEmpty(), qPrintable(QString::number(i)));
        }
        QVERIFY(calls.size() > 10);
        for (int i = 0; i < calls.size(); ++i) {
            QVERIFY(calls[i].first <= calls[i].second);
            QVERIFY(i == 0 || calls[i].first >= calls[i - 1].first);
        }
        QCOMPARE(calls.last(), qMakePair(qint64(kLargeRows), qint64(kLargeRows)));
        QVERIFY2(ms < 10000, "far over the 3 s the restore may take");

        const JournalContents canceled = readJournal(left[0].fileName, [](qint64, qint64) { return false; });
        QVERIFY(canceled.canceled);
        QVERIFY(canceled.rows.isEmpty());
        QVERIFY(!canceled.error.isEmpty());
    }
};

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--record") == 0)
        return recordUntilKilled(argc, argv);
    QCoreApplication app(argc, argv);
    TstJournal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journal.moc"
