// CPU cost of the raw archive at full load: 24 CTD records a second fed
// through the record stream's line hook, plus full bus polling (4 polls and
// 6 reads a second), each event timed and written, and the file synced once
// a second. Prints figures; the target is under 0.5% of one core.
//
//   corvale_bench_rawarchive [--seconds N]   (each real-time run, default 10)
//
// Two parts: (1) many seconds' worth of events back to back, CPU time per
// session second; (2) the same load on timers in real time, beside the
// timers alone: the difference is the archive's share, cold caches and its
// sync timer included (noisy on a busy machine).
// The file lives under the build folder, on a real disk.

#include "archive/rawarchive.h"
#include "bench/benchsupport.h"
#include "ctd/ctdrecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

using namespace corvale;

namespace {

constexpr int kCtdPerSecond = 24;
constexpr int kBusPerSecond = 10; // 4 digital-input polls, 6 readings

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The station's side: CTD characters into the stream, whose line hook
// archives each line; bus exchanges straight into the archive.
struct Load {
    RawArchive archive;
    CtdStream stream{[](const QString&) {}};
    int n = 0;

    Load() {
        stream.setLineHandler([this](const QByteArray& line, CtdLineStatus status) {
            archive.appendCtdLine(QDateTime::currentDateTime(), line, status);
        });
    }
    void ctd() {
        ++n;
        stream.feed(QByteArray::number(45.0 + (n % 100) / 10.0, 'f', 3) + ',' +
                    QByteArray::number(12.0 + (n % 50) / 10.0, 'f', 3) + ",10.04\n");
    }
    void bus() {
        ++n;
        static const QByteArray commands[] = {"$9DI\r", "$1RD\r", "$4RD\r", "$5RD\r",
                                              "$9DI\r", "$6RD\r", "$7RD\r", "$ARD\r"};
        archive.appendBusExchange(QDateTime::currentDateTime(), commands[n % 8],
                                  "*+00" + QByteArray::number(100 + n % 900) + ".00\r");
    }
};

int Run(const BenchArgs& args) {
    const int seconds = args.seconds;
    QTemporaryDir dir(QStringLiteral(CORVALE_BINARY_DIR "/rawarchive-bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no folder for the archive\n");
        return 1;
    }

    // (1) Back to back.
    {
        Load load;
        if (!load.archive.open(dir.filePath(QStringLiteral("burst.raw.csv")))) {
            std::fprintf(stderr, "cannot open the archive\n");
            return 1;
        }
        const int sessionSeconds = 600;
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        for (int s = 0; s < sessionSeconds; ++s) {
            for (int i = 0; i < kCtdPerSecond; ++i)
                load.ctd();
            for (int i = 0; i < kBusPerSecond; ++i)
                load.bus();
            load.archive.sync(); // the once-a-second sync
        }
        const double cpu = CpuSeconds() - cpu0;
        const double perSecond = cpu / sessionSeconds;
        std::printf("back to back: %d session seconds (%d events, %d syncs) in %.3f s CPU, "
                    "%.3f s wall\n",
                    sessionSeconds, sessionSeconds * (kCtdPerSecond + kBusPerSecond),
                    load.archive.syncCount(), cpu, wall.elapsed() / 1000.0);
        std::printf("  per session second: %.1f us CPU = %.3f%% of one core (target < 0.5%%)\n",
                    perSecond * 1e6, perSecond * 100);
        std::printf("  per event: %.2f us\n",
                    cpu * 1e6 / (sessionSeconds * (kCtdPerSecond + kBusPerSecond)));
    }

    // (2) Real time, on timers, the archive syncing itself; beside the same
    // timers doing nothing, so that the difference is the archive's.
    const auto timed = [&](bool archiving, int* events, int* syncs) {
        Load load;
        if (archiving)
            load.archive.open(dir.filePath(QStringLiteral("timed.raw.csv")));
        QTimer ctdTimer, busTimer;
        ctdTimer.setTimerType(Qt::PreciseTimer);
        busTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ctdTimer, &QTimer::timeout, [&] {
            if (archiving)
                load.ctd();
        });
        QObject::connect(&busTimer, &QTimer::timeout, [&] {
            if (archiving)
                load.bus();
        });
        ctdTimer.start(1000 / kCtdPerSecond);
        busTimer.start(1000 / kBusPerSecond);
        QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QCoreApplication::exec();
        *events = load.n;
        *syncs = load.archive.syncCount();
        return (CpuSeconds() - cpu0) / (wall.elapsed() / 1000.0);
    };
    int events = 0, syncs = 0;
    const double idle = timed(false, &events, &syncs);
    const double busy = timed(true, &events, &syncs);
    std::printf("real time: %d s each; timers alone %.3f%%, timers and archive %.3f%% of one "
                "core (%d events, %d syncs)\n",
                seconds, idle * 100, busy * 100, events, syncs);
    std::printf("  the archive's share: %.3f%% of one core (target < 0.5%%)\n",
                (busy - idle) * 100);
    return 0;
}

} // namespace

const BenchProgram corvale::kBenchProgram{false, false, 10, Run};
