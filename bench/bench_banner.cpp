// Cost of the caption's shade build (only on a width or shade change) against the cost of a
// whole panel paint (every repaint), at several widths.
#include "bench/widgetbenchmain.h"
#include "banner/bannerimages.h"
#include "banner/bannerpaint.h"
#include "common/fonts.h"
#include "banner/tbannerpanel.h"

#include <QApplication>
#include <benchmark/benchmark.h>

static void BM_BuildDiagonalShade(benchmark::State &state)
{
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(buildDiagonalShade(width, 20, 200, QColor(128, 128, 128)));
}
BENCHMARK(BM_BuildDiagonalShade)->Arg(400)->Arg(792)->Arg(1600)->Arg(3200);

static void BM_RenderPanel(benchmark::State &state)
{
    const int width = static_cast<int>(state.range(0));
    QWidget host;
    auto *panel = new TBannerPanel(&host);
    panel->Picture()->LoadFromResource(QString::fromLatin1(kBannerPicture2Image));
    panel->setGeometry(0, 0, width, 88);
    panel->show();
    host.resize(width, 88);
    host.show();
    QImage target(width, 88, QImage::Format_RGB32);
    for (auto _ : state)
        panel->render(&target);
}
BENCHMARK(BM_RenderPanel)->Arg(400)->Arg(792)->Arg(1600)->Arg(3200);

TS_WIDGET_BENCHMARK_MAIN()
