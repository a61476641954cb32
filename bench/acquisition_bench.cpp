// CPU use of the station while it polls the flume simulator: the poll every
// 250 ms and the once-a-second cycle with pH on, window shown offscreen.
// Runs twice in one process: with the station's sleeping reply wait, then
// with a wait that spins on the tick count as the original design did.
//
//   corvale_bench_acquisition [--seconds N]   (default 60 per run)

#include "bench/benchsupport.h"
#include "ui/mainwindow.h"
#include "widgets/togglebutton.h"

#include <QElapsedTimer>
#include <QTest>
#include <cstdio>

using namespace corvale;

namespace {

// The busy wait: reads the tick count again and again until it is reached.
class SpinningClock : public Clock {
public:
    explicit SpinningClock(Clock& inner) : inner_(inner) {}
    std::int32_t ticks() override { return inner_.ticks(); }
    void sleepUntil(std::int32_t tick) override {
        while (TicksUntil(inner_.ticks(), tick) > 0) {
        }
    }
    QDateTime now() override { return inner_.now(); }

private:
    Clock& inner_;
};

struct Figures {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int polls = 0;
    int cycles = 0;
    int messages = 0;
    int reopened = 0; // bus lost to a late reply and opened again
    bool ok = false;
    double share() const { return wallSeconds > 0 ? cpuSeconds / wallSeconds : 0; }
};

Figures RunStation(Clock& clock, int seconds) {
    Figures f;
    BenchStation station;
    if (!station.start(clock, {QStringLiteral("--ctd-rate"), QStringLiteral("0")}))
        return f;
    frmMain& main = *station.main;
    QtSerialPort& dgh = station.dgh;
    main.show();
    main.cwbPh->setValue(true);
    if (!station.openBus()) {
        std::fprintf(stderr, "the bus did not open\n");
        return f;
    }
    QObject::connect(&main.Timer1, &StationTimer::ticked, [&] { ++f.polls; });
    QObject::connect(&main.tmrRPM, &StationTimer::ticked, [&] { ++f.cycles; });
    QTest::qWait(1000); // settle: first paint, first cycle
    f.polls = f.cycles = 0;

    QElapsedTimer wall;
    const double cpu0 = ProcessCpuSeconds();
    wall.start();
    while (wall.elapsed() < seconds * 1000LL) {
        QTest::qWait(100);
        // On a loaded machine a reply can miss its 35 ms window and the
        // station closes the bus; the operator opens it again.
        if (!dgh.isOpen() && !main.Timer1.isTicking() && !main.tmrRPM.isTicking()) {
            ++f.reopened;
            station.openBus();
        }
    }
    f.cpuSeconds = ProcessCpuSeconds() - cpu0;
    f.wallSeconds = wall.nsecsElapsed() / 1e9;
    f.messages = station.op.messages;
    f.ok = dgh.isOpen();
    return f;
}

void Print(const char* name, const Figures& f) {
    std::printf("%-9s %6.1f s wall  %7.3f s CPU  %6.2f%% of one core  %4d polls  %3d cycles"
                "  %d messages  bus reopened %d times\n",
                name, f.wallSeconds, f.cpuSeconds, 100 * f.share(), f.polls, f.cycles, f.messages,
                f.reopened);
}

int Run(const BenchArgs& args) {
    const int seconds = args.seconds;
    RealClock real;
    SpinningClock spinning(real);
    const Figures sleepingRun = RunStation(real, seconds);
    const Figures spinningRun = RunStation(spinning, seconds);
    Print("sleeping", sleepingRun);
    Print("spinning", spinningRun);
    if (!sleepingRun.ok || !spinningRun.ok) {
        std::printf("a run ended without its bus; figures are not comparable\n");
        return 1;
    }
    const double ratio =
        sleepingRun.cpuSeconds > 0 ? spinningRun.cpuSeconds / sleepingRun.cpuSeconds : 0;
    std::printf("station CPU %.2f%% of one core (target <= 2%%); spinning wait costs %.1fx "
                "more (target >= 15x)\n",
                100 * sleepingRun.share(), ratio);
    return 0;
}

} // namespace

const BenchProgram corvale::kBenchProgram{true, false, 60, Run};
