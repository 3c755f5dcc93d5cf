// What the journal costs the list, and what reading one back costs: a row appended at 100,000
// rows with and without a journal, the call that hands a 20 MB body to the list, and a journal
// of 100,000 rows with 1,000-byte bodies read back.
#include "core/listcolumn.h"
#include "core/requestlistmodel.h"
#include "core/utctime.h"
#include "journal/journal.h"
#include "journal/journalfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

QByteArray address(qint64 i)
{
    return "http://www.example.com/path/" + QByteArray::number(i) + "/page.html?q=" + QByteArray::number(i * 7919);
}

QByteArray body(int size, qint64 seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char('a' + (i + seed) % 26);
    return b;
}

// What the recorder does for a form post: a row, its address, a GET, then the body.
void record(RequestListModel &model, qint64 i, const QByteArray &postBody)
{
    model.resizeRows(model.rows() + 1);
    const int row = model.rows() - 1;
    model.setCellText(UrlColumn, row, address(i));
    RequestRecord request;
    request.method = "GET";
    request.recorded = utcFromMSecsSinceEpoch(1700000000000 + i);
    request.window = RequestWindow::Main;
    model.setRequest(row, request);
    request.method = "POST";
    request.body = postBody;
    request.contentType = "application/x-www-form-urlencoded";
    request.source = BodySource::Network;
    model.setBody(row, request);
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// Arg 1: a list nobody watches (0), with a journal (1), or watched by a receiver of its row
// signals that does nothing (2), which is what Qt's signal delivery alone costs. Arg 2: the
// journal's commit interval in ms (a long one keeps its thread idle while the rows are timed).
// The list grows from 100,000 rows by one row an iteration; every row has its own 1,000-byte
// body. flush_ms: how far the journal's thread was behind at the end.
void BM_AppendRow(benchmark::State &state)
{
    QTemporaryDir dir;
    RequestListModel model;
    std::unique_ptr<Journal> journal;
    QObject watcher;
    if (state.range(1) == 1)
        journal = std::make_unique<Journal>(&model, Journal::Options{dir.path(), {}, int(state.range(2))});
    if (state.range(1) == 2) {
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &watcher, [](const QModelIndex &, int, int) {});
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &watcher, [](const QModelIndex &, const QModelIndex &) {});
    }
    const qint64 rows = state.range(0);
    for (qint64 i = 0; i < rows; ++i)
        record(model, i, body(1000, i));
    if (journal)
        journal->flush();
    std::vector<QByteArray> bodies;
    for (qint64 i = 0; i < state.max_iterations; ++i)
        bodies.push_back(body(1000, rows + i));
    qint64 i = 0;
    for (auto _ : state) {
        record(model, rows + i, bodies[size_t(i)]);
        ++i;
    }
    QElapsedTimer clock;
    clock.start();
    if (journal) {
        journal->flush();
        if (!journal->isRecording())
            state.SkipWithError(qPrintable(journal->errorText()));
    }
    state.counters["flush_ms"] = ms(clock.nsecsElapsed());
    state.counters["rows"] = double(model.rows());
}
BENCHMARK(BM_AppendRow)
    ->Args({100000, 0, 0})
    ->Args({100000, 1, 250})
    ->Args({100000, 1, 1000000})
    ->Args({100000, 2, 0})->Iterations(30000)->Unit(benchmark::kMicrosecond);

// A 20 MB body handed to the list without (0) or with (1) a journal, then a row appended every
// millisecond for 300 ms while the journal's thread writes the body. body_call_ms: the longest
// setBody call (the list itself reads the body through once); row_call_ms: the longest of the rows
// appended meanwhile (one record() each).
void BM_LargeBody(benchmark::State &state)
{
    QTemporaryDir dir;
    RequestListModel model;
    std::unique_ptr<Journal> journal;
    if (state.range(0))
        journal = std::make_unique<Journal>(&model, Journal::Options{dir.path(), {}, 250});
    const QByteArray large = body(20 << 20, 0);
    const QByteArray small = body(1000, 1);
    qint64 bodyMax = 0, rowMax = 0, n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        record(model, ++n, small);
        RequestRecord request = model.request(model.rows() - 1);
        request.body = large;
        request.body.detach(); // a body of its own, as each form post brings
        QElapsedTimer clock;
        state.ResumeTiming();
        clock.start();
        model.setBody(model.rows() - 1, request);
        bodyMax = std::max(bodyMax, clock.nsecsElapsed());
        state.PauseTiming();
        QElapsedTimer during;
        during.start();
        while (during.elapsed() < 300) {
            clock.start();
            record(model, ++n, small);
            rowMax = std::max(rowMax, clock.nsecsElapsed());
            QThread::usleep(1000);
        }
        model.resizeRows(0);
        if (journal)
            journal->flush();
        state.ResumeTiming();
    }
    if (journal && !journal->isRecording())
        state.SkipWithError(qPrintable(journal->errorText()));
    state.counters["body_call_ms"] = ms(bodyMax);
    state.counters["row_call_ms"] = ms(rowMax);
}
BENCHMARK(BM_LargeBody)->Arg(0)->Arg(1)->Iterations(8)->Unit(benchmark::kMicrosecond);

// A journal of 100,000 rows with 1,000-byte bodies, as a killed program leaves it (its log not
// yet in the file), made once and copied before each reading.
QString leftJournal(const QString &folder)
{
    static QTemporaryDir made;
    const QString name = QDir(made.path()).filePath(QStringLiteral("left.db"));
    if (!QFile::exists(name)) {
        RequestListModel model;
        Journal journal(&model, {made.path() + QStringLiteral("/live"), {}, 250});
        for (qint64 i = 0; i < 100000; ++i)
            record(model, i, body(1000, i));
        journal.flush();
        QFile::copy(journal.fileName(), name);
        QFile::copy(journal.fileName() + QStringLiteral("-wal"), name + QStringLiteral("-wal"));
    }
    const QString copy = QDir(folder).filePath(QStringLiteral("left.db"));
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile::remove(copy + suffix);
        QFile::copy(name + suffix, copy + suffix);
    }
    return copy;
}

void BM_RestoreLargeJournal(benchmark::State &state)
{
    QTemporaryDir dir;
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString name = leftJournal(dir.path());
        state.ResumeTiming();
        const JournalContents contents = readJournal(name, [](qint64, qint64) { return true; });
        rows = contents.rows.size();
        state.PauseTiming();
        if (!contents.error.isEmpty())
            state.SkipWithError(qPrintable(contents.error));
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_RestoreLargeJournal)->Iterations(3)->Unit(benchmark::kMillisecond);

// The summary the start-up question gives (how many addresses, the time of the last).
void BM_ListLeftJournals(benchmark::State &state)
{
    QTemporaryDir dir;
    leftJournal(dir.path());
    for (auto _ : state) {
        const QList<JournalInfo> left = unfinishedJournals(dir.path());
        if (left.size() != 1 || left[0].addresses != 100000)
            state.SkipWithError("the journal was not listed whole");
    }
}
BENCHMARK(BM_ListLeftJournals)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
