// How long the window cannot paint while the station works at full load on
// the flume simulator: bus polled (poll every 250 ms, the once-a-second cycle
// with pH on), CTD at 24 records a second, both charts fed, logging every
// 0.5 s to a file. A probe timer asks for a turn of the event loop every
// 5 ms; each gap between its ticks beyond one 16 ms frame is time the window
// was frozen.
//
// Runs twice in one process: with the reply wait holding the thread (the
// earlier design: the wait sleeps inside the command) and with the bus
// session's wait, which gives the event loop back. Each run also gives how
// late the reply windows were drained after their 35 ms (median, p99, max),
// measured on the clock's wait itself. It waits in a plain event loop, as
// the station runs, never in QTest::qWait (which sleeps between turns).
//
//   corvale_bench_stall [--seconds N]   (default 30: N s of probing, then N s
//                                        of CPU measurement, per run)

#include "bench/benchsupport.h"
#include "ui/mainwindow.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvale;

namespace {

// The earlier wait: the command sleeps through its 35 ms inside the call.
class HoldingClock : public RealClock {
public:
    bool startWait(std::int32_t tick, std::function<void()> done) override {
        return Clock::startWait(tick, std::move(done));
    }
};

// Times each reply wait: how long after its 35 ms its end came.
template <class Base> class LatenessClock : public Base {
public:
    LatenessClock() { since_.start(); }
    bool startWait(std::int32_t tick, std::function<void()> done) override {
        const qint64 startNs = since_.nsecsElapsed();
        const double dueMs = TicksUntil(this->ticks(), tick);
        auto timed = [this, startNs, dueMs, done = std::move(done)] {
            lateMs.push_back((since_.nsecsElapsed() - startNs) / 1e6 - dueMs);
            done();
        };
        if (Base::startWait(tick, timed))
            return true;
        lateMs.push_back((since_.nsecsElapsed() - startNs) / 1e6 - dueMs);
        return false;
    }
    std::vector<double> lateMs;

private:
    QElapsedTimer since_;
};

struct Figures {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double cpuWallSeconds = 0;
    double frozenSeconds = 0;
    double worstStallMs = 0;
    int stallsOver50 = 0;
    int probes = 0;
    int messages = 0;
    double lateMedianMs = 0;
    double lateP99Ms = 0;
    double lateMaxMs = 0;
    bool ok = false;
};

template <class C> Figures Run(LatenessClock<C>& clock, int seconds) {
    Figures f;
    BenchStation station;
    if (!station.startFullLoad(clock, {QStringLiteral("stall.csv")}))
        return f;
    frmMain& main = *station.main;
    WaitMs(1500); // settle: first paint, first cycles
    clock.lateMs.clear();

    f.wallSeconds = ProbeStalls(seconds * 1000LL, [&](double gapMs) {
        ++f.probes;
        // A gap longer than a frame past the probe's own interval: no
        // paint could happen in it.
        if (gapMs - 5 > 16)
            f.frozenSeconds += gapMs / 1000;
        if (gapMs > 50)
            ++f.stallsOver50;
        f.worstStallMs = std::max(f.worstStallMs, gapMs);
    });
    // The CPU share is taken over a second stretch without the probe, whose
    // own 200 wake-ups a second would count against the station.
    QElapsedTimer cpuWall;
    const double cpu0 = ProcessCpuSeconds();
    cpuWall.start();
    while (cpuWall.elapsed() < seconds * 1000LL)
        WaitMs(100);
    f.cpuSeconds = ProcessCpuSeconds() - cpu0;
    f.cpuWallSeconds = cpuWall.nsecsElapsed() / 1e9;
    f.messages = station.op.messages;
    f.ok = station.linesOpen();
    std::vector<double> late = clock.lateMs;
    std::sort(late.begin(), late.end());
    if (!late.empty()) {
        f.lateMedianMs = late[late.size() / 2];
        f.lateP99Ms = late[std::min(late.size() - 1, late.size() * 99 / 100)];
        f.lateMaxMs = late.back();
    }
    main.stopLogging();
    return f;
}

void Print(const char* name, const Figures& f) {
    std::printf("%-8s %5.1f s: frozen %5.2f%% of the time, worst stall %6.1f ms, %4d stalls over "
                "50 ms, CPU %5.2f%% of one core, %d probes, %d messages%s\n"
                "         reply windows drained after 35 ms + median %.2f ms, p99 %.2f ms, max "
                "%.2f ms\n",
                name, f.wallSeconds, 100 * f.frozenSeconds / f.wallSeconds, f.worstStallMs,
                f.stallsOver50, 100 * f.cpuSeconds / f.cpuWallSeconds, f.probes, f.messages,
                f.ok ? "" : " (a line was lost: not comparable)", f.lateMedianMs, f.lateP99Ms,
                f.lateMaxMs);
}

int Run(const BenchArgs& args) {
    const int seconds = args.seconds;
    LatenessClock<HoldingClock> holding;
    LatenessClock<RealClock> session;
    const Figures before = Run(holding, seconds);
    const Figures after = Run(session, seconds);
    Print("holding", before);
    Print("session", after);
    std::printf("targets (session): no stall over 50 ms, frozen under 1%% of the time, CPU at most "
                "2%% of one core\n");
    return before.ok && after.ok ? 0 : 1;
}

} // namespace

const BenchProgram corvale::kBenchProgram{true, false, 30, Run};
