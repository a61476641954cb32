#include "bench/benchsupport.h"

#include "feed/shipfeed.h"
#include "tests/support/stationsteps.h"
#include "ui/mainwindow.h"
#include "widgets/togglebutton.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

namespace corvale {

void WaitMs(qint64 ms) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double ProbeStalls(qint64 ms, const std::function<void(double gapMs)>& gap) {
    QElapsedTimer wall;
    qint64 last = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = wall.nsecsElapsed();
        gap((now - last) / 1e6);
        last = now;
    });
    wall.start();
    probe.start();
    WaitMs(ms);
    probe.stop();
    return wall.nsecsElapsed() / 1e9;
}

BenchStation::BenchStation() = default;
BenchStation::~BenchStation() = default;

bool BenchStation::start(Clock& clock, const QStringList& simArgs) {
    if (!store_.isValid() || !logDir_.isValid() || !sim_.start(simArgs)) {
        std::fprintf(stderr, "simulator did not start: %s\n", qPrintable(sim_.errorText()));
        return false;
    }
    store_.mapPort(4, sim_.dghDevice());
    store_.mapPort(5, sim_.ctdDevice());
    main = std::make_unique<frmMain>(
        Platform{dgh, ctd, clock, op, QStringLiteral(CORVALE_BINARY_DIR)});
    return true;
}

bool BenchStation::openBus() {
    return OpenBusFromDialog(*main) && dgh.isOpen();
}

bool BenchStation::startFullLoad(Clock& clock, const FullLoadOptions& options) {
    if (!start(clock, {QStringLiteral("--ctd-rate"), QStringLiteral("24")}))
        return false;
    op.file = logDir_.filePath(options.logName);
    main->resize(1280, 800);
    main->show();
    openBus();
    main->bus().runUntilIdle();
    main->cwbPh->setValue(true);
    main->cwCTDflag->setValue(true);
    main->cwPlot->setValue(true);
    main->cwCTDplot->setValue(true);
    if (options.feedPort > 0) {
        FeedSettings feed;
        feed.enabled = true;
        feed.port = options.feedPort;
        main->feed().setSettings(feed);
    }
    StartLogging(*main, options.rawArchive, options.rawArchive);
    if (!linesOpen()) {
        std::fprintf(stderr, "the bus or the CTD line did not open\n");
        return false;
    }
    return true;
}

} // namespace corvale
