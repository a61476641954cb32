// CPU cost of one exchange (a command and its reply) with the real clock,
// beside the same exchange with a spinning 35 ms wait. The station's wait
// gives the thread to the event loop, which sleeps, so its exchange should
// cost a small fraction of the spinning one.

#include "bench/benchsupport.h"
#include "bus/bustask.h"
#include "bus/dghlink.h"
#include "bus/serialport.h"
#include "core/clock.h"
#include "core/operator.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

using namespace corvale;

namespace {

// A port whose module answers at once.
class InstantPort : public SerialPort {
public:
    bool isOpen() const override { return true; }
    OpenError open() override { return OpenError::None; }
    void close() override {}
    int portNumber() const override { return 4; }
    void setPortNumber(int) override {}
    QString settings() const override { return QStringLiteral("19200,n,8,1"); }
    void setSettings(const QString&) override {}
    void setReadLength(int n) override { readLength_ = n; }
    void setReceiveThreshold(int) override {}
    int charactersWaiting() override { return static_cast<int>(buffer_.size()); }
    QByteArray read() override {
        QByteArray out = buffer_.left(readLength_ > 0 ? readLength_ : buffer_.size());
        buffer_.remove(0, out.size());
        return out;
    }
    void write(const QByteArray&) override { buffer_ = "*+00020.00\r"; }

private:
    QByteArray buffer_;
    int readLength_ = 0;
};

class SilentOperator : public Operator {
public:
    using Operator::message;
    void message(const QString&, const QString&) override {}
    QString openFileName(const QString&, const QString&) override { return {}; }
};

// The busy wait: reads the tick count again and again, inside the call.
class SpinningClock : public RealClock {
public:
    void sleepUntil(std::int32_t tick) override {
        while (TicksUntil(ticks(), tick) > 0) {
        }
    }
    bool startWait(std::int32_t tick, std::function<void()> done) override {
        return Clock::startWait(tick, std::move(done));
    }
};

template <class ClockT> void LinkPair(benchmark::State& state) {
    InstantPort port;
    ClockT clock;
    SilentOperator op;
    DghLink link(port, clock, op);
    for (auto _ : state) {
        // The station's wait hands the thread to the event loop, which
        // sleeps until the reply window closes.
        BusTask<BusExchange> task = link.Exchange(QStringLiteral("$1RD\r"));
        task.start();
        while (!task.done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        benchmark::DoNotOptimize(task.await_resume());
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            cpu[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpu;
};

} // namespace

BENCHMARK_TEMPLATE(LinkPair, RealClock)
    ->Name("LinkPair/sleeping")
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(LinkPair, SpinningClock)
    ->Name("LinkPair/spinning")
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);

namespace {

int Run(const BenchArgs&) {
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double sleeping = reporter.cpu["LinkPair/sleeping/iterations:40"];
    const double spinning = reporter.cpu["LinkPair/spinning/iterations:40"];
    if (spinning > 0)
        std::printf(
            "CPU per pair: sleeping %.4f ms, spinning %.4f ms, ratio %.2f%% (target < 2%%)\n",
            sleeping, spinning, 100.0 * sleeping / spinning);
    return 0;
}

} // namespace

const BenchProgram corvale::kBenchProgram{false, true, 0, Run};
