// The station at full load on the flume simulator, its CPU share in total and
// per part, and whether the window ever froze: bus polled (poll every 250 ms,
// the once-a-second cycle with pH on), CTD at 24 records a second, both charts
// fed, logging every 0.5 s to a file with the raw archive (bus exchanges too)
// beside it, and the ship feed sending to 127.0.0.1.
//
// Three stretches of N seconds each:
//   1. stalls: a probe timer asks for a turn of the event loop every 5 ms;
//      a gap beyond that is a stall, and beyond a 16 ms frame the window
//      could not paint;
//   2. CPU: the process's CPU time, with nothing of the benchmark running;
//   3. parts: the window thread's CPU time charged to the part whose code
//      runs. Every event is charged by its receiver and every signal by its
//      sender, the innermost one that belongs to a part winning; the entry
//      points of the archive and the feed are wrapped at link time (see
//      CMakeLists.txt). Taking the time costs a little, so this stretch
//      reads somewhat above stretch 2; what no part claims is the event
//      loop's own share (waiting, dispatch); the painting and layout of the
//      widgets no part claims are counted apart.
//
// The same source builds against an earlier tree, so one run can put two
// builds side by side (bench/fullload_compare.sh). With the slowsync library
// preloaded every data sync takes 100 ms more, as on a slow medium.
//
//   corvale_bench_fullload [--seconds N] [--label NAME]   (default 30 s)

#include "bench/benchsupport.h"
#include "core/stationtimer.h"
#include "health/stalemarks.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// Qt Core's hook for watching signals (what QTest's -vs uses); its
// declaration is in Qt's private headers.
struct QSignalSpyCallbackSet {
    typedef void (*BeginCallback)(QObject* caller, int signal_or_method_index, void** argv);
    typedef void (*EndCallback)(QObject* caller, int signal_or_method_index);
    BeginCallback signal_begin_callback, slot_begin_callback;
    EndCallback signal_end_callback, slot_end_callback;
};
Q_CORE_EXPORT void qt_register_signal_spy_callbacks(QSignalSpyCallbackSet* callback_set);

using namespace corvale;

namespace {

enum Part { Bus, Ctd, Charts, Logging, ArchiveFeed, Health, Paint, Loop, kParts };
const char* const kPartNames[kParts] = {"bus session and readings",
                                        "CTD line and salinity",
                                        "charts",
                                        "logging",
                                        "raw archive and feed",
                                        "stale marks and health",
                                        "painting and layout of the rest of the window",
                                        "event loop itself"};

// Exclusive CPU time per part on the window's thread.
class Accounting {
public:
    std::array<double, kParts> cpu{};
    bool on = false;
    QThread* thread = nullptr;

    void start() {
        cpu.fill(0);
        stack_.clear();
        current_ = Loop;
        last_ = ThreadCpuSeconds();
        on = true;
    }
    void stop() {
        switchTo(Loop);
        on = false;
    }
    // A scope that belongs to `part` (-1: to whatever runs it).
    void begin(int part) {
        if (part < 0 || part == current_) {
            stack_.push_back(-1);
            return;
        }
        stack_.push_back(current_);
        switchTo(part);
    }
    void end() {
        if (stack_.empty())
            return; // a scope begun before the stretch
        const int previous = stack_.back();
        stack_.pop_back();
        if (previous >= 0)
            switchTo(previous);
    }
    bool here() const { return on && QThread::currentThread() == thread; }

private:
    void switchTo(int part) {
        const double now = ThreadCpuSeconds();
        cpu[size_t(current_)] += now - last_;
        last_ = now;
        current_ = part;
    }
    std::vector<int> stack_;
    int current_ = Loop;
    double last_ = 0;
};

Accounting accounting;

// Which part an object belongs to, by its class, its name, its owner (a
// member object lies inside its owner) and its parents.
class Parts {
public:
    void own(const void* owner, size_t size, Part part) {
        owners_.push_back({static_cast<const char*>(owner), size, part});
    }
    int of(QObject* o) {
        const auto it = cache_.constFind(o);
        if (it != cache_.constEnd())
            return *it;
        const int part = find(o);
        cache_.insert(o, part);
        return part;
    }

private:
    int find(QObject* o) const {
        for (QObject* p = o; p; p = p->parent()) {
            const char* c = static_cast<const char*>(static_cast<const void*>(p));
            for (const Owner& owner : owners_)
                if (c >= owner.at && c < owner.at + owner.size)
                    return owner.part;
            const QByteArray cls = p->metaObject()->className();
            const QString name = p->objectName();
            if (cls == "corvale::BusSession" || cls == "corvale::BusReadings" ||
                name == QLatin1String("Timer1") || name == QLatin1String("tmrRPM"))
                return Bus;
            if (cls == "corvale::CtdPanel")
                return Ctd;
            if (cls == "corvale::StripChart" || cls == "QCustomPlot" ||
                cls == "corvale::ChartPanels" || name == QLatin1String("tmrPlot") ||
                name == QLatin1String("tmrCTDplot"))
                return Charts;
            if (cls == "corvale::LoggingControl" || name == QLatin1String("tmrlogger"))
                return Logging;
            if (cls == "corvale::RawArchive" || cls == "corvale::ShipFeed" ||
                cls == "corvale::StationFeed" || cls == "QUdpSocket")
                return ArchiveFeed;
            if (cls == "corvale::LinkHealth" || cls == "corvale::StaleMarks")
                return Health;
            if (!p->parent()) {
                // Timers nothing owns: the bus's reply wait (a precise single
                // shot of at most 35 ms) and, in earlier builds, the raw
                // archive's once-a-second sync timer.
                if (const auto* t = qobject_cast<const QTimer*>(p); t && t->isSingleShot())
                    return t->interval() <= 100 ? Bus : t->interval() >= 500 ? ArchiveFeed : -1;
            }
        }
        return -1;
    }
    struct Owner {
        const char* at;
        size_t size;
        Part part;
    };
    std::vector<Owner> owners_;
    QHash<QObject*, int> cache_;
};

Parts parts;

void SignalBegin(QObject* sender, int, void**) {
    if (accounting.here())
        accounting.begin(parts.of(sender));
}
void SignalEnd(QObject*, int) {
    if (accounting.here())
        accounting.end();
}

// Every event, charged by its receiver while the parts are measured.
bool ChargeEvent(QObject* receiver, QEvent* event) {
    if (!accounting.here())
        return qApp->QApplication::notify(receiver, event);
    int part = parts.of(receiver);
    if (part < 0 && (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest ||
                     event->type() == QEvent::LayoutRequest))
        part = Paint;
    accounting.begin(part);
    const bool result = qApp->QApplication::notify(receiver, event);
    accounting.end();
    return result;
}

struct Figures {
    double probeSeconds = 0;
    double worstStallMs = 0; // longest time the loop did not turn
    int stallsOver16 = 0;
    double frozenSeconds = 0;
    double cpuShare = 0; // % of one core
    std::array<double, kParts> partShare{};
    double otherThreadsShare = 0;
    double instrumentedShare = 0;
    int messages = 0;
    bool ok = false;
};

// Stands in for the ship: takes the feed's datagrams and drops them.
class Sink {
public:
    Sink() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port_ = ntohs(a.sin_port);
    }
    ~Sink() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

Figures Measure(int seconds) {
    Figures f;
    Sink ship;
    RealClock clock;
    BenchStation station;
    if (!station.startFullLoad(
            clock, {QStringLiteral("fullload.csv"), true, static_cast<quint16>(ship.port())}))
        return f;
    frmMain& main = *station.main;
    WaitMs(1500); // settle: first paint, first cycles

    // 1. Stalls.
    f.probeSeconds = ProbeStalls(seconds * 1000LL, [&](double gapMs) {
        const double stallMs = std::max(0.0, gapMs - 5);
        if (stallMs > 16) {
            ++f.stallsOver16;
            f.frozenSeconds += stallMs / 1000;
        }
        f.worstStallMs = std::max(f.worstStallMs, stallMs);
    });

    // 2. CPU, nothing of the benchmark running.
    QElapsedTimer cpuWall;
    double cpu0 = ProcessCpuSeconds();
    cpuWall.start();
    WaitMs(seconds * 1000LL);
    f.cpuShare = 100 * (ProcessCpuSeconds() - cpu0) / (cpuWall.nsecsElapsed() / 1e9);

    // 3. Parts.
    parts.own(&station.dgh, sizeof station.dgh, Bus);
    parts.own(&station.ctd, sizeof station.ctd, Ctd);
    parts.own(&main.staleMarks(), sizeof(StaleMarks), Health);
    for (StationTimer* t : main.findChildren<StationTimer*>())
        parts.own(t, sizeof(StationTimer), Part(std::max(0, parts.of(t))));
    accounting.thread = QThread::currentThread();
    static QSignalSpyCallbackSet spy{SignalBegin, nullptr, SignalEnd, nullptr};
    qt_register_signal_spy_callbacks(&spy);
    cpu0 = ProcessCpuSeconds();
    const double thread0 = ThreadCpuSeconds();
    cpuWall.restart();
    accounting.start();
    WaitMs(seconds * 1000LL);
    accounting.stop();
    const double elapsed = cpuWall.nsecsElapsed() / 1e9;
    const double process = ProcessCpuSeconds() - cpu0;
    const double thread = ThreadCpuSeconds() - thread0;
    static QSignalSpyCallbackSet none{nullptr, nullptr, nullptr, nullptr};
    qt_register_signal_spy_callbacks(&none);
    for (size_t i = 0; i < kParts; ++i)
        f.partShare[i] = 100 * accounting.cpu[i] / elapsed;
    f.otherThreadsShare = 100 * (process - thread) / elapsed;
    f.instrumentedShare = 100 * process / elapsed;

    f.messages = station.op.messages;
    f.ok = station.linesOpen();
    main.stopLogging();
    return f;
}

void Print(const QString& label, int seconds, const Figures& f) {
    const char* slow = qEnvironmentVariableIsSet("CORVALE_SLOW_SYNC_MS") ? " +slow sync" : "";
    std::printf("%s%s: CPU %.2f%% of one core (%d s); worst stall %.1f ms, %d stalls over 16 ms, "
                "frozen %.2f%% of %.0f s; %d messages%s\n",
                qPrintable(label), slow, f.cpuShare, seconds, f.worstStallMs, f.stallsOver16,
                100 * f.frozenSeconds / std::max(1e-9, f.probeSeconds), f.probeSeconds, f.messages,
                f.ok ? "" : " (a line was lost: not comparable)");
    std::printf("%s%s: parts (%% of one core, measured at %.2f%% total):", qPrintable(label), slow,
                f.instrumentedShare);
    for (size_t i = 0; i < kParts; ++i)
        std::printf(" %s %.2f;", kPartNames[i], f.partShare[i]);
    std::printf(" other threads %.2f\n", f.otherThreadsShare);
    std::fflush(stdout);
}

} // namespace

// Entry points wrapped at link time: the archive's and the feed's work runs
// inside the CTD line's and the bus's handlers, and is charged to its own part.
#define CORVALE_WRAP(symbol, params, args)                                                         \
    extern "C" void __real_##symbol params;                                                        \
    extern "C" void __wrap_##symbol params {                                                       \
        const bool here = accounting.here();                                                       \
        if (here)                                                                                  \
            accounting.begin(ArchiveFeed);                                                         \
        __real_##symbol args;                                                                      \
        if (here)                                                                                  \
            accounting.end();                                                                      \
    }
// LoggingControl::archiveCtdLine(const QByteArray&, CtdLineStatus)
CORVALE_WRAP(_ZN7corvale14LoggingControl14archiveCtdLineERK10QByteArrayNS_13CtdLineStatusE,
             (void* self, const QByteArray& line, int status), (self, line, status))
// LoggingControl::archiveBusExchange(const BusExchange&)
CORVALE_WRAP(_ZN7corvale14LoggingControl18archiveBusExchangeERKNS_11BusExchangeE,
             (void* self, const void* exchange), (self, exchange))
// StationFeed::ctdRecord(), StationFeed::busCycle(const QDateTime&)
CORVALE_WRAP(_ZN7corvale11StationFeed9ctdRecordEv, (void* self), (self))
CORVALE_WRAP(_ZN7corvale11StationFeed8busCycleERK9QDateTime, (void* self, const void* at),
             (self, at))

namespace {

int Run(const BenchArgs& args) {
    const QString label = args.value(QStringLiteral("--label"));
    BenchNotify = ChargeEvent;
    const Figures f = Measure(args.seconds);
    Print(label.isNull() ? QStringLiteral("station") : label, args.seconds, f);
    return f.ok ? 0 : 1;
}

} // namespace

const BenchProgram corvale::kBenchProgram{true, false, 30, Run};
