// The cost of the ship feed at full load: 24 CTD sentences and one bus
// sentence a second, each formatted from the station's state and sent to a
// listener on 127.0.0.1 that runs on a thread of its own (its work is not
// counted). Figures:
//   1. CPU per sentence in a burst (warm caches), to a listener and to a
//      refused port;
//   2. a paced run at 25 sentences a second (each sentence on cold caches,
//      as in the station), the station thread's CPU with the feed on beside
//      the same run with it off, and each sentence's steps: reading the local
//      clock (which the station does for each record anyway), formatting and
//      sending. The target is judged on formatting and sending.
//
//   corvale_bench_feed [--seconds N]   (default 10 per paced run)

#include "bench/benchsupport.h"
#include "bus/readings.h"
#include "core/state.h"
#include "feed/sentences.h"
#include "feed/shipfeed.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace corvale;

namespace {

// Counts datagrams on 127.0.0.1 on its own thread until stopped, looking
// every 10 ms rather than sleeping in recv(), so that no wake-up of the
// listener is charged to the sender's thread.
class Listener {
public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        int big = 4 << 20;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
        thread_ = std::thread([this] {
            char buf[2048];
            while (!stop_) {
                if (::recv(fd_, buf, sizeof buf, MSG_DONTWAIT) > 0)
                    ++count_;
                else
                    usleep(10000);
            }
        });
    }
    ~Listener() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    quint16 port() const { return port_; }
    long count() const { return count_; }

private:
    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long> count_{0};
    std::thread thread_;
};

StationState SampleState() {
    const QDateTime at(QDate(2026, 12, 8), QTime(14, 7, 9));
    StationState s;
    s.CtdConductivity.set(45.1234, at);
    s.CtdTemperature.set(12.5678, at);
    s.CtdPressure.set(10.02, at);
    s.CtdSalinity.set(34.56789012345, at);
    s.ThrusterRpm.set(1234.5, at);
    s.WaveRpm.set(30.12, at);
    s.ThrusterCurrent = {{ThrusterWatts(QStringLiteral("*+01001.3")), at},
                         QStringLiteral("*+01001.3")};
    s.WaveCurrent = {{WaveWatts(QStringLiteral("*+03000.0")), at}, QStringLiteral("*+03000.0")};
    s.ProfilerCurrent = {{ProfilerWatts(QStringLiteral("*+00125.0")), at},
                         QStringLiteral("*+00125.0")};
    s.PhReadingEnabled = true;
    s.PhMilliVolts.set(-12.3, at);
    s.PhValue.set(8.0123, at);
    s.UpPermitted = true;
    s.PermitsAt = at;
    return s;
}

// Sentence i of the full-load mix: every 25th is a bus sentence.
void SendOne(ShipFeed& feed, const StationState& s, long i) {
    if (!feed.enabled())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    if (i % 25 == 24)
        feed.send(BusSentence(now, BusCycleFrom(s)));
    else
        feed.send(CtdSentence(now, s));
}

// CPU seconds per sentence over n sentences sent as fast as possible.
double Burst(ShipFeed& feed, long n) {
    const StationState s = SampleState();
    double cpu = 0;
    for (long i = 0; i < n; i += 100) {
        const double t0 = ThreadCpuSeconds();
        for (long j = i; j < i + 100; ++j)
            SendOne(feed, s, j);
        cpu += ThreadCpuSeconds() - t0;
        QCoreApplication::processEvents(); // the feed's own socket events
        usleep(200);                       // let the listener keep up
    }
    return cpu / double(n);
}

struct PacedFigures {
    double cpu = 0; // the station thread, whole run
    long sentences = 0;
    double clock = 0, format = 0, send = 0; // CPU seconds in each step
};

// The station thread over `seconds` at 25 sentences a second, each step timed.
PacedFigures Paced(ShipFeed& feed, int seconds) {
    const StationState s = SampleState();
    PacedFigures f;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!feed.enabled())
            return;
        const double t0 = ThreadCpuSeconds();
        const QDateTime now = QDateTime::currentDateTime();
        const double t1 = ThreadCpuSeconds();
        const QString line =
            f.sentences % 25 == 24 ? BusSentence(now, BusCycleFrom(s)) : CtdSentence(now, s);
        const double t2 = ThreadCpuSeconds();
        feed.send(line);
        const double t3 = ThreadCpuSeconds();
        f.clock += t1 - t0;
        f.format += t2 - t1;
        f.send += t3 - t2;
        ++f.sentences;
    });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    const double start = ThreadCpuSeconds();
    timer.start(40);
    loop.exec();
    timer.stop();
    f.cpu = ThreadCpuSeconds() - start;
    return f;
}

int Run(const BenchArgs& args) {
    const int seconds = args.seconds;

    Listener listener;
    ShipFeed feed;
    feed.setSettings(FeedSettings{true, QStringLiteral("127.0.0.1"), listener.port()});
    const long n = 20000;
    Burst(feed, 2000); // warm-up
    usleep(300000);
    const long before = listener.count();
    const double perSentence = Burst(feed, n);
    usleep(300000);
    std::printf("burst to a listener: %.2f us CPU per sentence (%ld of %ld received)\n",
                perSentence * 1e6, listener.count() - before, n);
    std::printf("  at 25 sentences/s: %.4f%% of one core\n", perSentence * 25 * 100);

    quint16 closed = 0;
    {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        closed = probe.localPort();
    }
    ShipFeed refused;
    refused.setSettings(FeedSettings{true, QStringLiteral("127.0.0.1"), closed});
    const double perRefused = Burst(refused, n);
    std::printf("burst to a refused port: %.2f us CPU per sentence, status \"%s\"\n",
                perRefused * 1e6, qPrintable(refused.statusText()));
    std::printf("  at 25 sentences/s: %.4f%% of one core\n", perRefused * 25 * 100);

    const long pacedBefore = listener.count();
    const PacedFigures on = Paced(feed, seconds);
    const long pacedGot = listener.count() - pacedBefore;
    const PacedFigures toRefused = Paced(refused, seconds);
    feed.setSettings(FeedSettings{});
    const PacedFigures off = Paced(feed, seconds);
    const auto percent = [seconds](double cpu) { return cpu / seconds * 100; };
    std::printf("paced run, %d s at 25 sentences/s (%ld sent, %ld received): station thread "
                "%.4f%% of one core with the feed on, %.4f%% off, difference %.4f%%\n",
                seconds, on.sentences, pacedGot, percent(on.cpu), percent(off.cpu),
                percent(on.cpu - off.cpu));
    std::printf("  to a refused port: %.4f%% of one core with the feed on\n",
                percent(toRefused.cpu));
    const double n1 = double(std::max(1L, on.sentences));
    std::printf("  per sentence: local clock %.1f us, format %.1f us, send %.1f us\n",
                on.clock / n1 * 1e6, on.format / n1 * 1e6, on.send / n1 * 1e6);
    const double share = percent(on.format + on.send);
    std::printf("  with the clock read for each sentence: %.4f%% of one core\n",
                percent(on.clock + on.format + on.send));
    std::printf("feed at full load (format + send, paced): %.4f%% of one core "
                "(target under 0.2%%): %s\n",
                share, share < 0.2 ? "met" : "NOT MET");
    return share < 0.2 ? 0 : 1;
}

} // namespace

const BenchProgram corvale::kBenchProgram{false, false, 10, Run};
