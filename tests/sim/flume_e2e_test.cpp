// The station's own link and module operations, over the real serial port,
// driving the flume simulator on its pseudo-terminals.

#include "bus/dghlink.h"
#include "bus/qtserialport.h"
#include "core/clock.h"
#include "tests/support/fakes.h"
#include "tests/support/simprocess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace corvale;

namespace {

struct FlumeBus : ::testing::Test {
    PrivateStore store;
    SimProcess sim;
    RealClock clock;
    RecordingOperator op;
    std::unique_ptr<QtSerialPort> dgh;
    std::unique_ptr<DghLink> link;
    std::unique_ptr<ModuleOps> modules;

    void start(const QStringList& args = {}) {
        ASSERT_TRUE(store.isValid());
        ASSERT_TRUE(sim.start(args)) << sim.errorText().toStdString();
        store.mapPort(4, sim.dghDevice());
        store.mapPort(5, sim.ctdDevice());
        dgh = std::make_unique<QtSerialPort>(4, QStringLiteral("19200,n,8,1"));
        ASSERT_EQ(dgh->open(), SerialPort::OpenError::None) << dgh->errorText().toStdString();
        link = std::make_unique<DghLink>(*dgh, clock, op);
        modules = std::make_unique<ModuleOps>(*link);
    }
    // On a heavily loaded machine a reply can miss the 35 ms window. Where a
    // test is about what the modules answer rather than when, a command that
    // missed it is repeated (after its late reply has been drained), so the
    // test judges the simulator and not the scheduler.
    BusExchange steady(const std::function<BusExchange()>& command) {
        BusExchange x;
        for (int attempt = 0; attempt < 4; ++attempt) {
            x = command();
            if (!Missed(x))
                break;
            QTest::qWait(150);
            dgh->setReadLength(0);
            while (dgh->charactersWaiting() > 0)
                dgh->read();
        }
        return x;
    }
    QString ask(const QString& line) {
        return steady([&] { return RunTask(link->Exchange(line + QLatin1Char('\r')), clock); })
            .reply;
    }
    // A relay switched through the station's operations; true when the
    // module accepted it.
    bool power(const QString& position, bool on) {
        return steady([&] {
                   const auto before = op.messages.size();
                   BusExchange x;
                   if (on)
                       x = RunTask(modules->ClearPosition("9", position), clock);
                   else
                       x = RunTask(modules->SetPosition("9", position), clock);
                   if (op.messages.size() > before)
                       op.messages.removeLast();
                   return x;
               })
            .valid();
    }
    // The value characters 3 to 10 of a reading.
    double value(const QString& address) {
        const QString reply =
            steady([&] { return RunTask(modules->ReadData(address), clock); }).reply;
        EXPECT_TRUE(IsValidReply(reply)) << reply.toStdString();
        return reply.mid(2, 8).toDouble();
    }
    // No reply was framed in the window; a rejection ("?..") is an answer.
    static bool Missed(const BusExchange& x) {
        using S = BusExchange::Status;
        return x.status == S::Timeout || x.status == S::Stray ||
               (x.status == S::Invalid && !x.reply.startsWith(QLatin1Char('?')));
    }
};

// A vanished device's number may already serve another pseudo-terminal of
// a test running alongside; only a number still free must read as missing.
void ExpectMissing(SerialPort& port, const QString& device) {
    const SerialPort::OpenError result = port.open();
    if (!QFileInfo::exists(device)) {
        EXPECT_EQ(result, SerialPort::OpenError::NoSuchPort);
    }
    port.close();
}

} // namespace

TEST_F(FlumeBus, PoweredMotorsSpeedUpOnLaterReadsAndRunDownWhenSwitchedOff) {
    start({QStringLiteral("--lag-seconds"), QStringLiteral("1")});
    EXPECT_EQ(value("1"), 0);
    ASSERT_TRUE(power("02", true)); // thruster
    RunTask(modules->SetAnalogOutput("0", "+", "1000"), clock);
    ASSERT_TRUE(power("04", true)); // wave generator
    RunTask(modules->SetAnalogOutput("3", "+", "5000"), clock);
    double thruster = 0, wave = 0;
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(250);
        const double t = value("1"), w = value("4");
        EXPECT_GT(t, thruster);
        EXPECT_GT(w, wave);
        thruster = t;
        wave = w;
    }
    EXPECT_LT(thruster, 25.0);
    EXPECT_GT(value("5"), 0); // current follows the load
    ASSERT_TRUE(power("02", false));
    QTest::qWait(250);
    EXPECT_LT(value("1"), thruster);
    EXPECT_EQ(value("5"), 0);
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join(" | ").toStdString();
}

TEST_F(FlumeBus, ProfilerDrivenUpUntilTheUpPermitTurnsOff) {
    start({QStringLiteral("--travel-seconds"), QStringLiteral("1")});
    EXPECT_EQ(ask("$9DI"), "*0003");
    RunTask(modules->SetAnalogOutput("2", "+", "5000"), clock);
    QTest::qWait(300);
    EXPECT_EQ(ask("$9DI"), "*0003"); // unpowered: the carriage stays
    ASSERT_TRUE(power("03", true));
    QElapsedTimer driven;
    driven.start();
    QString di;
    while (driven.elapsed() < 3000 && (di = ask("$9DI")) == "*0003")
        QTest::qWait(20);
    EXPECT_EQ(di, "*0001");
    EXPECT_GT(driven.elapsed(), 300); // half the travel, not a jump
    RunTask(modules->SetAnalogOutput("2", "-", "5000"), clock);
    QTest::qWait(200);
    di = ask("$9DI");
    EXPECT_TRUE(di == "*0003" || di == "*0002") << di.toStdString(); // up allowed again
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(FlumeBus, SilentModuleGivesTimeoutUntilItSpeaksAgain) {
    start({QStringLiteral("--silent"), QStringLiteral("6")});
    EXPECT_EQ(RunTask(modules->ReadData("6"), clock).status, BusExchange::Status::Timeout);
    value("4");
    ASSERT_TRUE(sim.control("silent 4"));
    EXPECT_EQ(RunTask(modules->ReadData("4"), clock).status, BusExchange::Status::Timeout);
    value("1");
    ASSERT_TRUE(sim.control("unsilent 4"));
    value("4");
    // No module at address 8; a known module rejects what it cannot do.
    EXPECT_EQ(RunTask(modules->ReadData("8"), clock).status, BusExchange::Status::Timeout);
    EXPECT_TRUE(ask("$1XX").startsWith(QLatin1Char('?')));
    RunTask(modules->SetPosition("9", "77"), clock);
    EXPECT_EQ(op.texts(), QStringList{"No valid return from SetPosition"});
}

TEST_F(FlumeBus, LateGarbledAndParityRepliesAsTheStationMeetsThem) {
    // Late by far more than the window, so that a busy machine cannot turn
    // a late reply into a timely one.
    start({QStringLiteral("--late"), QStringLiteral("1"), QStringLiteral("--late-ms"),
           QStringLiteral("300"), QStringLiteral("--garbage"), QStringLiteral("--parity")});
    EXPECT_TRUE(Missed(RunTask(modules->ReadData("1"), clock)));
    QTest::qWait(400); // the late answer has come and waits in the buffer
    EXPECT_TRUE(steady([&] {
                    return RunTask(modules->ReadData("5"), clock);
                }).reply.startsWith(QLatin1String("*+")));
    // On the wire: noise first, every character with its highest bit set.
    dgh->setReadLength(0);
    dgh->write("$9DI\r");
    QByteArray raw;
    QElapsedTimer waited;
    waited.start();
    while (!raw.endsWith(char(0x8d)) && waited.elapsed() < 2000) {
        QTest::qWait(10);
        while (dgh->charactersWaiting() > 0)
            raw += dgh->read();
    }
    QByteArray expected("xy*0003\r");
    for (char& c : expected)
        c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
    EXPECT_EQ(raw, expected);
    EXPECT_EQ(ask("$9DI"), "*0003");
}

TEST_F(FlumeBus, VanishedDghPortIsNoLongerThere) {
    start();
    ASSERT_EQ(ask("$9DI"), "*0003");
    sim.sendSignal(SIGUSR1);
    ASSERT_TRUE(sim.waitForLine("closed dgh"));
    QElapsedTimer t;
    t.start();
    while (dgh->isOpen() && t.elapsed() < 2000)
        QTest::qWait(20);
    EXPECT_FALSE(dgh->isOpen()); // the station's port counts as closed
    EXPECT_EQ(ask("$9DI"), "");
    EXPECT_EQ(op.texts(), QStringList{"Port Not open"});
    ExpectMissing(*dgh, sim.dghDevice());
}

namespace {

struct CtdLine : FlumeBus {
    std::unique_ptr<QtSerialPort> ctd;
    QByteArray received;
    int events = 0;

    void openCtd() {
        ctd = std::make_unique<QtSerialPort>(5, QStringLiteral("9600,n,8,1"));
        ctd->setReceiveThreshold(1);
        ctd->setReadLength(1);
        QObject::connect(ctd.get(), &SerialPort::received, [this] {
            ++events;
            while (ctd->charactersWaiting() > 0)
                received += ctd->read();
        });
        ASSERT_EQ(ctd->open(), SerialPort::OpenError::None) << ctd->errorText().toStdString();
    }
    QList<QByteArray> lines(int count, int timeoutMs = 3000) {
        QElapsedTimer t;
        t.start();
        while (received.count('\n') < count + 1 && t.elapsed() < timeoutMs)
            QTest::qWait(20);
        // The first line may be the tail of a record cut by the opening.
        QList<QByteArray> out = received.split('\n');
        out.removeFirst();
        out.removeLast();
        return out.mid(0, count);
    }
};

} // namespace

TEST_F(CtdLine, RecordsArriveThroughTheReceiveEvent) {
    start({QStringLiteral("--ctd-rate"), QStringLiteral("20")});
    openCtd();
    const QList<QByteArray> got = lines(5);
    ASSERT_EQ(got.size(), 5);
    EXPECT_GT(events, 0);
    for (const QByteArray& line : got) {
        const QList<QByteArray> f = line.split(',');
        ASSERT_EQ(f.size(), 3) << line.constData();
        bool ok = false;
        const double c = f[0].toDouble(&ok);
        EXPECT_TRUE(ok && c >= 44 && c <= 56) << line.constData();
        const double t = f[1].toDouble(&ok);
        EXPECT_TRUE(ok && t >= 8 && t <= 20) << line.constData();
        const double p = f[2].toDouble(&ok);
        EXPECT_TRUE(ok && p > 9 && p < 11) << line.constData();
    }
}

TEST_F(CtdLine, CrLfEndingsAndMalformedRecordsOnRequest) {
    start({QStringLiteral("--ctd-rate"), QStringLiteral("24"), QStringLiteral("--ctd-crlf"),
           QStringLiteral("--ctd-malformed"), QStringLiteral("2")});
    openCtd();
    const QList<QByteArray> got = lines(8);
    ASSERT_EQ(got.size(), 8);
    int wellFormed = 0;
    for (const QByteArray& line : got) {
        EXPECT_TRUE(line.endsWith('\r')) << line.constData();
        const QList<QByteArray> f = line.chopped(1).split(',');
        bool all = f.size() == 3;
        for (const QByteArray& field : f) {
            bool ok = false;
            field.toDouble(&ok);
            all = all && ok;
        }
        wellFormed += all ? 1 : 0;
    }
    EXPECT_EQ(wellFormed, 4);
    ASSERT_TRUE(sim.control("ctd-crlf off"));
    ASSERT_TRUE(sim.control("ctd-malformed 0"));
    received.clear();
    const QList<QByteArray> plain = lines(3);
    ASSERT_EQ(plain.size(), 3);
    for (const QByteArray& line : plain)
        EXPECT_FALSE(line.contains('\r')) << line.constData();
}

TEST_F(CtdLine, VanishedCtdPortClosesTheStationsPort) {
    start({QStringLiteral("--ctd-rate"), QStringLiteral("20")});
    openCtd();
    ASSERT_EQ(lines(1).size(), 1);
    sim.sendSignal(SIGUSR2);
    ASSERT_TRUE(sim.waitForLine("closed ctd"));
    QElapsedTimer t;
    t.start();
    while (ctd->isOpen() && t.elapsed() < 2000)
        QTest::qWait(20);
    EXPECT_FALSE(ctd->isOpen());
    ExpectMissing(*ctd, sim.ctdDevice());
}
