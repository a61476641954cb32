// CPU use of the station while it polls the flume simulator: the poll every
// 250 ms and the once-a-second cycle with pH on, window shown offscreen.
// Runs twice in one process: with the station's sleeping reply wait, then
// with a wait that spins on the tick count as the original design did.
//
//   corvale_bench_acquisition [--seconds N]   (default 60 per run)

#include "bench/benchsupport.h"
#include "bus/qtserialport.h"
#include "core/clock.h"
#include "portdialog/frmcomms1.h"
#include "tests/support/simprocess.h"
#include "ui/mainwindow.h"
#include "widgets/togglebutton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>
#include <ctime>
#include <memory>

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
    PrivateStore store;
    SimProcess sim;
    if (!store.isValid() || !sim.start({QStringLiteral("--ctd-rate"), QStringLiteral("0")})) {
        std::fprintf(stderr, "simulator did not start: %s\n", qPrintable(sim.errorText()));
        return f;
    }
    store.mapPort(4, sim.dghDevice());
    QtSerialPort dgh(4, QStringLiteral("19200,n,8,1"));
    QtSerialPort ctd(5, QStringLiteral("9600,n,8,1"));
    BenchOperator op;
    frmMain main(Platform{dgh, ctd, clock, op, QStringLiteral(CORVALE_BINARY_DIR)});
    main.show();
    main.cwbPh->setValue(true);
    auto openBus = [&] {
        main.showComms();
        QTest::mouseClick(main.commsDialog()->cmdUpdate, Qt::LeftButton);
    };
    openBus();
    if (!dgh.isOpen()) {
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
            openBus();
        }
    }
    f.cpuSeconds = ProcessCpuSeconds() - cpu0;
    f.wallSeconds = wall.nsecsElapsed() / 1e9;
    f.messages = op.messages;
    f.ok = dgh.isOpen();
    return f;
}

void Print(const char* name, const Figures& f) {
    std::printf("%-9s %6.1f s wall  %7.3f s CPU  %6.2f%% of one core  %4d polls  %3d cycles"
                "  %d messages  bus reopened %d times\n",
                name, f.wallSeconds, f.cpuSeconds, 100 * f.share(), f.polls, f.cycles, f.messages,
                f.reopened);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    int seconds = 60;
    const QStringList args = QApplication::arguments();
    const qsizetype i = args.indexOf(QStringLiteral("--seconds"));
    if (i >= 0 && i + 1 < args.size())
        seconds = qMax(1, args[i + 1].toInt());

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
