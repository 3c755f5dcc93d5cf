// List output at several list sizes: the CSV file, the HTML file and the clipboard text, each
// next to a plain write of the same bytes. Addresses are 100 bytes, POST texts 300. The "MB"
// column is a rate over wall-clock time: megabytes (10^6 bytes) per second.
#include "urllist/clipboardcopy.h"
#include "core/csvwriter.h"
#include "core/htmlwriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <vector>

namespace {

struct List
{
    std::vector<QByteArray> urls, bodies;
    CellSource cells;
};

QByteArray padded(QByteArray text, qsizetype size, char fill)
{
    text.append(QByteArray(qMax<qsizetype>(0, size - text.size()), fill));
    text.truncate(size);
    return text;
}

const List &listOf(int dataRows)
{
    static std::map<int, List> lists;
    auto it = lists.find(dataRows);
    if (it != lists.end())
        return it->second;
    List &list = lists[dataRows];
    list.urls.reserve(dataRows + 1);
    list.bodies.reserve(dataRows + 1);
    list.urls.push_back("URL");
    list.bodies.push_back("POST-DATA");
    for (int i = 0; i < dataRows; ++i) {
        list.urls.push_back(padded("http://www.example.com/shop/item.asp?id=" + QByteArray::number(i) + "&ref=", 100, 'u'));
        list.bodies.push_back(padded("name=Item+" + QByteArray::number(i) + "&qty=2&note=", 300, 'b'));
    }
    list.cells.rowCount = dataRows + 1;
    list.cells.colCount = 2;
    const List *self = &list;
    list.cells.cellText = [self](int col, int row) { return col == 0 ? self->urls[row] : self->bodies[row]; };
    return list;
}

void reportRate(benchmark::State &state, qint64 bytesPerIteration)
{
    state.counters["MB"] = benchmark::Counter(double(bytesPerIteration) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
    state.counters["bytes"] = double(bytesPerIteration);
}

void plainWrite(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (qsizetype at = 0; at < bytes.size(); at += 64 * 1024)
        file.write(bytes.constData() + at, qMin<qsizetype>(64 * 1024, bytes.size() - at));
}

void BM_SaveCsv(benchmark::State &state)
{
    const List &list = listOf(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath("urls.csv");
    for (auto _ : state)
        SaveCsv(path, list.cells, CsvOptions{});
    reportRate(state, QFile(path).size());
}

void BM_PlainWriteOfCsvBytes(benchmark::State &state)
{
    const QByteArray bytes = csvText(listOf(int(state.range(0))).cells, CsvOptions{});
    QTemporaryDir dir;
    const QString path = dir.filePath("plain.csv");
    for (auto _ : state)
        plainWrite(path, bytes);
    reportRate(state, bytes.size());
}

void BM_SaveHtml(benchmark::State &state)
{
    const List &list = listOf(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath("urls.htm");
    for (auto _ : state)
        SaveHtml(path, list.cells);
    reportRate(state, QFile(path).size());
}

void BM_PlainWriteOfHtmlBytes(benchmark::State &state)
{
    const QByteArray bytes = htmlDocument(listOf(int(state.range(0))).cells);
    QTemporaryDir dir;
    const QString path = dir.filePath("plain.htm");
    for (auto _ : state)
        plainWrite(path, bytes);
    reportRate(state, bytes.size());
}

void BM_ClipboardBlockText(benchmark::State &state)
{
    const List &list = listOf(int(state.range(0)));
    qint64 size = 0;
    for (auto _ : state) {
        const QByteArray text = clipboardBlockText(list.cells);
        size = text.size();
        benchmark::DoNotOptimize(text.constData());
    }
    reportRate(state, size);
}

// The same bytes put together by plain appends: the cost of the memory writes alone.
void BM_PlainAppendOfBlockBytes(benchmark::State &state)
{
    const List &list = listOf(int(state.range(0)));
    const qint64 size = clipboardBlockText(list.cells).size();
    for (auto _ : state) {
        QByteArray text;
        for (std::size_t row = 0; row < list.urls.size(); ++row) {
            text += list.urls[row];
            text += '\t';
            text += list.bodies[row];
            text += "\r\n";
        }
        benchmark::DoNotOptimize(text.constData());
    }
    reportRate(state, size);
}

} // namespace

BENCHMARK(BM_SaveCsv)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainWriteOfCsvBytes)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveHtml)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainWriteOfHtmlBytes)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClipboardBlockText)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainAppendOfBlockBytes)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
