// Strip chart costs at a full day of CTD points (24 h at 2 points a second):
// repaint time at 1600x400, append time against the fill level, and the
// chart's memory. Targets: under 10 ms per repaint, under 10 MB per chart,
// append time independent of how many points the chart holds.

#include "bench/benchsupport.h"
#include "widgets/stripchart.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>

using namespace corvale;

namespace {

constexpr int kDayOfPoints = 172800; // 24 h at 2 points a second
constexpr double kHalfSecond = 0.5 / 86400.0;

double ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// A pH-like trace: slow swings plus a little noise, so every pixel column
// holds a real spread of values.
double Value(int i) {
    return 7 + 2 * std::sin(i / 900.0) + 0.05 * std::sin(i * 1.7);
}

std::unique_ptr<StripChart> MakeChart(int points, int maxPoints = 200000) {
    auto chart = std::make_unique<StripChart>(QStringLiteral("CWGraph2"), QStringLiteral("Time"),
                                              QStringLiteral("Conductivitiy"));
    chart->setMaxPoints(maxPoints);
    chart->setYRange(4, 10);
    for (int i = 0; i < points; ++i)
        chart->appendPoint(std::fmod(i * kHalfSecond, 1.0), Value(i));
    return chart;
}

void Show(StripChart& chart) {
    chart.resize(1600, 400);
    chart.show();
    QCoreApplication::processEvents();
    chart.plot()->replot(QCustomPlot::rpImmediateRefresh);
}

void Replot(benchmark::State& state, double visibleSeconds) {
    auto chart = MakeChart(kDayOfPoints);
    Show(*chart);
    chart->setTimeSpan(visibleSeconds);
    chart->plot()->replot(QCustomPlot::rpImmediateRefresh);
    for (auto _ : state)
        chart->plot()->replot(QCustomPlot::rpImmediateRefresh);
    state.counters["points"] = chart->pointCount();
    state.counters["visible_s"] = visibleSeconds;
}

// Operator zoomed right out: the whole day on screen.
void BM_ReplotWholeDayVisible(benchmark::State& state) {
    Replot(state, 86400);
}
// The running strip: the last minute on screen.
void BM_ReplotLastMinuteVisible(benchmark::State& state) {
    Replot(state, 60);
}

// One append (with the drop of the oldest once the chart is full), at
// several fill levels: the time per append should not grow with the fill.
void BM_Append(benchmark::State& state) {
    const int fill = int(state.range(0));
    auto chart = MakeChart(fill, fill > 0 ? fill : 1);
    int i = fill;
    for (auto _ : state) {
        chart->appendPoint(std::fmod(i * kHalfSecond, 1.0), Value(i));
        ++i;
    }
    state.counters["points"] = chart->pointCount();
}

void BM_ChartMemory(benchmark::State& state) {
    {
        // The first window shown loads fonts and the platform once for the
        // whole program; keep that out of the chart's own figure.
        auto warmUp = MakeChart(100);
        Show(*warmUp);
    }
    for (auto _ : state) {
        const double before = ResidentBytes();
        auto chart = MakeChart(kDayOfPoints);
        const double filled = ResidentBytes();
        Show(*chart);
        const double shown = ResidentBytes();
        // Another two days through the full store: memory stays bounded.
        chart->setMaxPoints(kDayOfPoints);
        for (int i = kDayOfPoints; i < 3 * kDayOfPoints; ++i)
            chart->appendPoint(std::fmod(i * kHalfSecond, 1.0), Value(i));
        const double steady = ResidentBytes();
        constexpr double MB = 1024.0 * 1024.0;
        state.counters["points"] = chart->pointCount();
        state.counters["data_MB"] = kDayOfPoints * double(sizeof(QCPGraphData)) / MB;
        state.counters["rss_filled_MB"] = (filled - before) / MB;
        // Shown as a window of its own, the chart also carries that window's
        // backing store, which in the station belongs to the main window.
        state.counters["rss_shown_MB"] = (shown - before) / MB;
        state.counters["window_store_MB"] = 1600.0 * 400.0 * 4.0 / MB;
        state.counters["rss_after_3_days_MB"] = (steady - before) / MB;
    }
}

} // namespace

// Memory first, while the heap holds nothing freed by the others.
BENCHMARK(BM_ChartMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplotWholeDayVisible)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplotLastMinuteVisible)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Arg(1000)->Arg(20000)->Arg(kDayOfPoints)->Unit(benchmark::kNanosecond);

namespace {

int Run(const BenchArgs&) {
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

} // namespace

const BenchProgram corvale::kBenchProgram{true, true, 0, Run};
