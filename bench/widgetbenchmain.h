#pragma once

// The main of a benchmark that needs a widget application: offscreen unless told otherwise,
// with the program's font substitutes.

#include "common/fonts.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#define TS_WIDGET_BENCHMARK_MAIN()                                                                                    \
    int main(int argc, char **argv)                                                                                   \
    {                                                                                                                 \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                          \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                 \
        QApplication app(argc, argv);                                                                                 \
        installFontSubstitutes();                                                                                     \
        benchmark::Initialize(&argc, argv);                                                                           \
        benchmark::RunSpecifiedBenchmarks();                                                                          \
        benchmark::Shutdown();                                                                                        \
        return 0;                                                                                                     \
    }
