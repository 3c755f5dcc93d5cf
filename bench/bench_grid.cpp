// What the recorder does after every navigation: add a row, write its address, fit column 0.
// The cost per row must stay flat as the list grows.
#include "bench/widgetbenchmain.h"
#include "common/fonts.h"
#include "urllist/listgrid.h"

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
} // namespace

TS_WIDGET_BENCHMARK_MAIN()
