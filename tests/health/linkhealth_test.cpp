// LinkHealth: counters of the bus and the CTD line, and when a reading stops
// being live, on the fake clock.

#include "core/stationtimer.h"
#include "health/linkhealth.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>

using namespace corvale;

namespace {

class LinkHealthTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(port.open(), SerialPort::OpenError::None); }
    // An exchange as the link hands it on, its window closing now.
    void exchange(const char* line, const QByteArray& received, int lateMs = 0) {
        BusExchange x;
        x.line = line;
        x.received = received;
        const FramedReply framed = FrameReceived(received);
        x.reply = framed.text;
        x.status = ExchangeStatus(received, framed);
        x.closedTick = clock.ticks();
        x.closedAt = clock.now();
        x.lateMs = lateMs;
        health.busExchange(x);
    }
    void record() { health.ctdLine("45.1,12.0,10.0", CtdLineStatus::Ok); }

    FakeClock clock;
    FakeSerialPort port{clock, 4, QStringLiteral("19200,n,8,1")};
    RecordingOperator op;
    StationTimer poll{QStringLiteral("Timer1"), StationTimer::Kind::Bus};
    StationTimer rpm{QStringLiteral("tmrRPM"), StationTimer::Kind::Bus};
    BusSession bus{port, clock, op, poll, rpm};
    LinkHealth health{bus, clock};
};

TEST_F(LinkHealthTest, ExchangesAreCountedPerModuleAsValidTimeoutOrInvalid) {
    exchange("$5RD\r", "*+00012.34\r");
    exchange("$5RD\r", "");
    exchange("$6RD\r", "?xy\r");
    exchange("$6RD\r", "*+00100.00\r");
    exchange("$9DI\r", "*0003\r");
    EXPECT_EQ(health.commandsSent(), 5);
    EXPECT_EQ(health.validReplies(), 3);
    EXPECT_EQ(health.timeouts(), 1);
    EXPECT_EQ(health.invalidReplies(), 1);
    const ModuleHealth five = health.module(QLatin1Char('5'));
    EXPECT_EQ(five.sent, 2);
    EXPECT_EQ(five.valid, 1);
    EXPECT_EQ(five.timeouts, 1);
    EXPECT_EQ(health.module(QLatin1Char('6')).invalid, 1);
    EXPECT_EQ(health.modules().keys(),
              (QList<QChar>{QLatin1Char('5'), QLatin1Char('6'), QLatin1Char('9')}));

    // Live means: the bus open and the module's last exchange valid.
    EXPECT_FALSE(health.moduleLive(QLatin1Char('5')));
    EXPECT_TRUE(health.moduleLive(QLatin1Char('6')));
    EXPECT_FALSE(health.moduleLive(QLatin1Char('7'))); // never asked
    EXPECT_EQ(health.summary(), QString::fromUtf8("Bus: 1 timeout, 1 invalid \u00b7 CTD no data"));

    // The age runs from the last valid reply, not the last exchange.
    clock.advance(12400);
    exchange("$5RD\r", "");
    EXPECT_EQ(health.moduleAgeMs(QLatin1Char('5')), 12400);
    EXPECT_EQ(LinkHealth::AgeText(health.module(QLatin1Char('5')).lastValidTime,
                                  health.moduleAgeMs(QLatin1Char('5'))),
              QStringLiteral("Last read 14:07:09, 12 s ago"));
    EXPECT_EQ(LinkHealth::AgeText({}, std::nullopt), QStringLiteral("Not read yet"));

    // Two whole replies in one window are a stray reply, not a reading; a
    // drain that came late is kept with the worst of them.
    exchange("$6RD\r", "*+00000.00\r*+00342.50\r", 9);
    exchange("$7RD\r", "*+00001.00\r", 3);
    EXPECT_EQ(health.module(QLatin1Char('6')).stray, 1);
    EXPECT_FALSE(health.moduleLive(QLatin1Char('6')));
    EXPECT_EQ(health.worstDrainLateMs(), 9);
    EXPECT_EQ(health.lateDrains(), 1);
    EXPECT_TRUE(health.summary().contains(QStringLiteral("1 stray")))
        << health.summary().toStdString();

    port.close();
    EXPECT_FALSE(health.moduleLive(QLatin1Char('6')));
    EXPECT_TRUE(health.summary().startsWith(QStringLiteral("Bus not open")));
}

TEST_F(LinkHealthTest, OpeningTheBusAgainStartsTheCountersAfresh) {
    exchange("$9DI\r", "");
    bus.closeAfterFailure(poll);
    EXPECT_FALSE(health.moduleLive(QLatin1Char('9')));
    EXPECT_TRUE(health.summary().startsWith(QStringLiteral("Bus closed")));
    EXPECT_EQ(health.timeouts(), 1);

    bus.openPort(BusSettings{4, QStringLiteral("19200,n,8,1")});
    ASSERT_TRUE(bus.runUntilIdle());
    EXPECT_EQ(bus.state(), BusSession::State::Running);
    EXPECT_EQ(health.commandsSent(), 0);
    EXPECT_EQ(health.timeouts(), 0);
    EXPECT_TRUE(health.modules().isEmpty());
    EXPECT_TRUE(health.summary().startsWith(QStringLiteral("Bus ok")));

    // A vanished adapter counts as closed at once.
    port.vanish();
    EXPECT_FALSE(health.busOpen());
}

TEST_F(LinkHealthTest, CtdGoesStaleAfterThreeIntervalsOrThreeSecondsWhileUnknown) {
    // One record: the interval is unknown, so 3 s.
    record();
    EXPECT_EQ(health.ctdStaleAfterMs(), 3000);
    clock.advance(3000);
    EXPECT_TRUE(health.ctdLive());
    clock.advance(1);
    EXPECT_FALSE(health.ctdLive());
    EXPECT_EQ(health.summary(), QString::fromUtf8("Bus ok \u00b7 CTD stale 3 s"));

    // Records every 2 s: stale after 6 s.
    health.resetCtd();
    for (int i = 0; i < 4; ++i) {
        record();
        clock.advance(2000);
    }
    EXPECT_EQ(health.ctdStaleAfterMs(), 6000);
    clock.advance(4000);
    EXPECT_TRUE(health.ctdLive());
    clock.advance(1);
    EXPECT_FALSE(health.ctdLive());

    // 24 records a second; lines arriving in one burst never make it stale
    // at once.
    health.resetCtd();
    for (int i = 0; i < 120; ++i) {
        record();
        clock.advance(i % 2 ? 83 : 0);
    }
    EXPECT_TRUE(health.ctdLive());
    EXPECT_EQ(health.ctdStaleAfterMs(), LinkHealth::kCtdMinStaleMs);
    EXPECT_NEAR(health.ctdRecordsPerSecond(), 24, 0.5);
    EXPECT_EQ(health.summary(), QString::fromUtf8("Bus ok \u00b7 CTD 24/s"));
}

TEST_F(LinkHealthTest, CtdLinesAreCountedByStatus) {
    record();
    health.ctdLine("4#.1", CtdLineStatus::Malformed);
    health.ctdLine("", CtdLineStatus::Malformed);
    health.ctdLine(QByteArray(65536, 'x'), CtdLineStatus::Partial); // ends as Overlong
    health.ctdLine("xxx", CtdLineStatus::Overlong);
    EXPECT_EQ(health.ctdRecords(), 1);
    EXPECT_EQ(health.ctdMalformed(), 2);
    EXPECT_EQ(health.ctdOverlong(), 1);
    EXPECT_EQ(health.ctdLastRecordTime(), clock.now());
    // Lines that are not records keep nothing live.
    clock.advance(3500);
    health.ctdLine("junk", CtdLineStatus::Malformed);
    EXPECT_FALSE(health.ctdLive());
}

} // namespace
