#pragma once
// What every benchmark shares. One main (benchmain.cpp) makes the
// application, offscreen unless QT_QPA_PLATFORM says otherwise, reads
// --seconds and, for Google Benchmark programs, their --benchmark_ options,
// then runs the program's kBenchProgram. Beside it: an operator that prints
// its messages instead of waiting for a person, CPU clocks, a wait in a plain
// event loop, and the station on the flume simulator (benchstation.cpp).

#include "bus/qtserialport.h"
#include "core/clock.h"
#include "core/operator.h"
#include "tests/support/simprocess.h"

#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

class QEvent;
class QObject;

namespace corvale {

class frmMain;

struct BenchArgs {
    QStringList args;
    int seconds = 0; // --seconds N (at least 1), else the program's default
    // The word after `option`, or an empty string.
    QString value(const QString& option) const;
};

struct BenchProgram {
    bool widgets = false;         // a QApplication, else a QCoreApplication
    bool googleBenchmark = false; // its options are read before run
    int defaultSeconds = 0;
    int (*run)(const BenchArgs&) = nullptr;
};

// Each benchmark defines its own.
extern const BenchProgram kBenchProgram;

// Set by a benchmark that watches every event the application delivers;
// it delivers them itself, through QApplication::notify.
inline bool (*BenchNotify)(QObject* receiver, QEvent* event) = nullptr;

class BenchOperator : public Operator {
public:
    using Operator::message;
    void message(const QString& text, const QString&) override {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    QString openFileName(const QString&, const QString&) override { return file; }
    QString file; // the answer to a file dialog
    int messages = 0;
};

inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

inline double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Runs the event loop for `ms` as the station's own loop runs: unlike
// QTest::qWait, which sleeps 10 ms between turns and so delays every timer.
void WaitMs(qint64 ms);

// Runs the event loop for `ms` with a 5 ms precise timer and hands each gap
// between its ticks (in ms) to `gap`: a gap well past 5 ms is a stall in
// which nothing could paint. Returns the seconds it ran.
double ProbeStalls(qint64 ms, const std::function<void(double gapMs)>& gap);

struct FullLoadOptions {
    QString logName = QStringLiteral("bench.csv");
    bool rawArchive = false;
    quint16 feedPort = 0; // 0: no feed
};

// The station on the flume simulator: a private settings store mapping COM4
// and COM5 to the simulator's two lines, the real serial ports, the shown
// main window on the benchmark's clock.
class BenchStation {
    // First made, last gone: the window closes before the simulator stops.
    PrivateStore store_;
    SimProcess sim_;
    QTemporaryDir logDir_;

public:
    BenchStation();
    ~BenchStation();

    // Starts the simulator with `simArgs` and builds the window; false, said
    // on stderr, when the simulator did not start.
    bool start(Clock& clock, const QStringList& simArgs);
    // The bus opened from the port dialog with the settings it offers.
    bool openBus();
    // Full load: CTD at 24 records a second, the bus opened, pH on, the CTD
    // line read, both charts fed, logging every 0.5 s to a file of its own,
    // the raw archive with bus exchanges and the ship feed to a loopback port
    // when asked. True when the simulator started and both lines opened.
    bool startFullLoad(Clock& clock, const FullLoadOptions& options);
    bool linesOpen() const { return dgh.isOpen() && ctd.isOpen(); }

    QtSerialPort dgh{4, QStringLiteral("19200,n,8,1")};
    QtSerialPort ctd{5, QStringLiteral("9600,n,8,1")};
    BenchOperator op;
    std::unique_ptr<frmMain> main;
};

} // namespace corvale
