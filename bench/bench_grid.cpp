// What the recorder does after every navigation: add a row, write its address, fit column 0.
// The cost per row must stay flat as the list grows. And what a recorded row costs in memory.
#include "bench/widgetbenchmain.h"
#include "common/fonts.h"
#include "core/listcolumn.h"
#include "core/requestlistmodel.h"
#include "urllist/listgrid.h"
#include "journal/journal.h"

#include <QFile>
#include <QTemporaryDir>

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
QByteArray address(qint64 i)
{
    return "http://www.example.com/path/" + QByteArray::number(i) + "/page.html?q=" + QByteArray::number(i * 7919);
}

void BM_AppendAndFit(benchmark::State &state)
{
    TListGrid grid;
    grid.resize(800, 300);
    grid.show();
    const int rows = int(state.range(0));
    grid.SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r)
        grid.SetCellText(0, r, address(r));
    grid.FitColumnWidth(0);
    qint64 i = rows;
    for (auto _ : state) {
        grid.SetRowCount(grid.RowCount() + 1);
        grid.SetCellText(0, grid.RowCount() - 1, address(++i));
        grid.FitColumnWidth(0);
        benchmark::DoNotOptimize(grid.ColWidth(0));
        state.PauseTiming();
        // Keep the list at its size, so that every iteration measures the same row count.
        grid.DeleteRows(grid.RowCount() - 1, 1);
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_AppendAndFit)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A form post recorded into the shown list as the main window's recorder does it (a row, its
// address and a GET, then the body, then both columns fitted), at 100,000 rows, without (0) and
// with (1) the journal.
void BM_RecordPostIntoTheList(benchmark::State &state)
{
    QTemporaryDir dir;
    TListGrid grid;
    grid.resize(800, 300);
    grid.show();
    RequestListModel *model = grid.model();
    std::unique_ptr<Journal> journal;
    if (state.range(1))
        journal = std::make_unique<Journal>(model, Journal::Options{dir.path(), {}, 250});
    auto record = [&](qint64 i) {
        model->resizeRows(model->rows() + 1);
        const int row = model->rows() - 1;
        model->setCellText(UrlColumn, row, address(i));
        RequestRecord request;
        request.method = "GET";
        request.recorded = QDateTime::currentDateTimeUtc();
        request.window = RequestWindow::Main;
        model->setRequest(row, request);
        request.method = "POST";
        request.body = QByteArray(1000, char('a' + i % 26));
        request.contentType = "application/x-www-form-urlencoded";
        request.source = BodySource::Network;
        model->setBody(row, request);
        grid.FitColumnWidth(UrlColumn);
        grid.FitColumnWidth(PostDataColumn);
    };
    const qint64 rows = state.range(0);
    for (qint64 i = 0; i < rows; ++i) {
        model->resizeRows(model->rows() + 1);
        model->setCellText(UrlColumn, int(i), address(i));
    }
    if (journal)
        journal->flush();
    qint64 i = rows;
    for (auto _ : state)
        record(++i);
    if (journal) {
        journal->flush();
        if (!journal->isRecording())
            state.SkipWithError(qPrintable(journal->errorText()));
    }
    state.counters["rows"] = double(model->rows());
}
BENCHMARK(BM_RecordPostIntoTheList)->Args({100000, 0})->Args({100000, 1})->Iterations(5000)->Unit(benchmark::kMicrosecond);

// The process's anonymous memory in bytes, as the kernel counts it.
qint64 anonymousMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

// Rows as the recorder leaves them for a form post of the main window: a 100-byte address and a
// 1,000-byte body, shown in a list. bytes_per_row is the process's growth a row; payload_per_row
// the row's own bytes.
void BM_MemoryPerRow(benchmark::State &state)
{
    const int rows = int(state.range(0));
    QByteArray url = address(0);
    url = url.leftJustified(100, 'x');
    for (auto _ : state) {
        const qint64 before = anonymousMemory();
        auto grid = std::make_unique<TListGrid>();
        grid->resize(800, 300);
        grid->show();
        RequestListModel *model = grid->model();
        for (int r = 0; r < rows; ++r) {
            model->resizeRows(r + 1);
            QByteArray u = url;
            const QByteArray n = QByteArray::number(r);
            u.replace(100 - n.size(), n.size(), n);
            model->setCellText(UrlColumn, r, u);
            RequestRecord request;
            request.method = "POST";
            request.body = QByteArray(1000, 'b');
            request.body.replace(0, n.size(), n);
            request.contentType = "application/x-www-form-urlencoded";
            request.recorded = QDateTime::currentDateTimeUtc();
            request.window = RequestWindow::Main;
            request.source = BodySource::Network;
            model->setBody(r, request);
        }
        // The measured widths the fit keeps are part of a row's cost (a body's measure is slow and
        // the same for every size, so only the addresses are measured here).
        grid->FitColumnWidth(UrlColumn);
        const qint64 after = anonymousMemory();
        state.counters["bytes_per_row"] = double(after - before) / rows;
        state.counters["payload_per_row"] = 1100;
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_MemoryPerRow)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

TS_WIDGET_BENCHMARK_MAIN()
