#include "bus/dghlink.h"
#include "tests/support/fakes.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <limits>

using namespace corvale;

namespace {

struct Bus : ::testing::Test {
    FakeClock clock;
    FakeSerialPort port{clock, 4, QStringLiteral("19200,n,8,1")};
    RecordingOperator op;
    DghLink link{port, clock, op};
    ModuleOps modules{link};
    void SetUp() override { port.open(); }
};

BusTask<> DelayTask(DghLink& link, float ms) {
    co_await link.Delay(ms);
}

} // namespace

TEST_F(Bus, ReplyWithinTheWindowIsReturnedWithoutItsCarriageReturn) {
    port.queueReply("*+00012.34\r", 20);
    const std::int32_t before = clock.ticks();
    const BusExchange x = RunTask(link.Exchange("$1RD\r"), clock);
    EXPECT_EQ(x.reply, "*+00012.34");
    EXPECT_EQ(x.status, BusExchange::Status::Valid);
    EXPECT_EQ(x.received, "*+00012.34\r");
    EXPECT_EQ(x.line, "$1RD\r");
    EXPECT_EQ(clock.ticks() - before, 35);
    EXPECT_EQ(x.closedTick, clock.ticks());
    EXPECT_EQ(port.written, QList<QByteArray>{"$1RD\r"});
    EXPECT_EQ(port.readLength(), 1);
}

TEST_F(Bus, LateReplyTimesOutAndIsAnsweredToTheNextCommand) {
    // The whole reply arrives after the drain ...
    port.queueReply("*+00001.00\r", 50);
    const BusExchange late = RunTask(link.Exchange("$1RD\r"), clock);
    EXPECT_EQ(late.status, BusExchange::Status::Timeout);
    EXPECT_EQ(late.reply, "TIMEOUT"); // the text shown and logged for it
    // ... and the next command, also late, gets it as its answer.
    port.queueReply("*+00002.00\r", 50);
    EXPECT_EQ(RunTask(link.Exchange("$4RD\r"), clock).reply, "*+00001.00");
}

TEST_F(Bus, TailOfALateReplyHoldsNoMarkerAndIsDropped) {
    port.queueReply("*+000", 10);
    port.arriveAt(clock.ticks() + 40, "12.34\r");
    const BusExchange cut = RunTask(link.Exchange("$1RD\r"), clock);
    EXPECT_EQ(cut.status, BusExchange::Status::Invalid); // something, but no reply
    EXPECT_EQ(cut.reply, "TIMEOUT");
    port.queueReply("*0003\r", 10);
    EXPECT_EQ(RunTask(link.Exchange("$9DI\r"), clock).reply, "*0003");
}

TEST_F(Bus, FramingRules) {
    EXPECT_EQ(FrameReply("xy*+00001.00\r"), "*+00001.00");
    // A whole reply and another in one window: neither is taken.
    EXPECT_EQ(FrameReply("*1\r*2\r"), "TIMEOUT");
    EXPECT_TRUE(FrameReceived("*1\r*2\r").stray);
    EXPECT_TRUE(FrameReceived("*1\r?\r").stray);
    EXPECT_EQ(FrameReply("?\r*2\r"), "*2"); // a rejection before one reply
    EXPECT_EQ(FrameReply("*1*2\r"), "*2");  // an unfinished one before it
    EXPECT_EQ(FrameReply("?01\r"), "?01");
    EXPECT_EQ(FrameReply(QByteArray("\xaa") + "0003\r"), "*0003"); // code 170 reads as "*"
    EXPECT_EQ(FrameReply(QByteArray("*00\x8d")), "*00");           // parity bit on the CR
    EXPECT_EQ(FrameReply(""), "TIMEOUT");
    EXPECT_EQ(FrameReply("0003\r"), "TIMEOUT");
    EXPECT_EQ(FrameReply("*1\r2"), "TIMEOUT");
    EXPECT_EQ(FrameReply("*\r"), "*");
}

TEST_F(Bus, ClosedPortReportsOnceAndReadsEmpty) {
    port.close();
    const BusExchange x = RunTask(link.Exchange("$9DI\r"), clock);
    EXPECT_EQ(x.status, BusExchange::Status::Closed);
    EXPECT_EQ(x.reply, "");
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text, "Port Not open");
    EXPECT_EQ(op.messages[0].caption, "Port Failure");
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(Bus, DelayEndsAcrossTheTickWrap) {
    for (std::int32_t start : {std::numeric_limits<std::int32_t>::max() - 10, std::int32_t(-20),
                               std::numeric_limits<std::int32_t>::min(), std::int32_t(-1)}) {
        clock.setTicks(start);
        RunTask(DelayTask(link, 35.9f), clock);
        EXPECT_EQ(TicksUntil(start, clock.ticks()), 35) << start;
    }
}

TEST_F(Bus, DelayWithARealClockSleepsTheWholeWindow) {
    RealClock real;
    DghLink realLink(port, real, op);
    const std::int32_t before = real.ticks();
    RunTask(DelayTask(realLink, 35), real);
    EXPECT_GE(TicksUntil(before, real.ticks()), 35);
}

TEST_F(Bus, ModuleOperationLines) {
    port.answer("$", "*\r");
    RunTask(modules.SetPosition("9", "02"), clock);
    RunTask(modules.ClearPosition("9", "03"), clock);
    RunTask(modules.SetAnalogOutput("0", "+", "250"), clock);
    RunTask(modules.SetAnalogOutput("0", "+", "123456789"), clock);
    RunTask(modules.SetAnalogOutput("2", "-", "5000"), clock);
    RunTask(modules.SetAnalogOutput("0", "+", "5.5"), clock);
    EXPECT_EQ(port.written,
              (QList<QByteArray>{"$9SP02\r", "$9CP03\r", "$0AO+00250.00\r", "$0AO+23456789.00\r",
                                 "$2AO-05000.00\r", "$0AO+00005.50\r"}));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(Bus, ReadDataReturnsTheReplyUnchanged) {
    port.queueReply("*+00001.23\r");
    EXPECT_EQ(RunTask(modules.ReadData("5"), clock).reply, "*+00001.23");
    EXPECT_EQ(port.written.last(), "$5RD\r");
    const BusExchange missed = RunTask(modules.ReadData("5"), clock);
    EXPECT_EQ(missed.status, BusExchange::Status::Timeout);
    EXPECT_EQ(missed.reply, "TIMEOUT");
    port.queueReply("?05\r");
    const BusExchange rejected = RunTask(modules.ReadData("5"), clock);
    EXPECT_EQ(rejected.status, BusExchange::Status::Invalid);
    EXPECT_EQ(rejected.reply, "?05");
    port.queueReply("*0003\r");
    EXPECT_EQ(RunTask(modules.ReadDigitalInputs("9"), clock).reply, "*0003");
    EXPECT_EQ(port.written.last(), "$9DI\r");
}

TEST_F(Bus, InvalidRepliesToPositionCommandsAreReported) {
    RunTask(modules.ClearPosition("9", "02"), clock); // no answer: TIMEOUT
    port.queueReply("?\r");
    RunTask(modules.SetPosition("9", "02"), clock);
    RunTask(modules.SetAnalogOutput("0", "+", "1"), clock); // not looked at
    EXPECT_EQ(op.texts(), (QStringList{"No valid return from ClearPosition",
                                       "No valid return from SetPosition"}));
    EXPECT_EQ(op.messages[0].caption, "Corvale2");
}

TEST_F(Bus, ClosedPortGivesBothMessagesForAPositionCommand) {
    port.close();
    RunTask(modules.SetPosition("9", "02"), clock);
    RunTask(modules.SetAnalogOutput("0", "+", "250"), clock);
    EXPECT_EQ(op.texts(),
              (QStringList{"Port Not open", "No valid return from SetPosition", "Port Not open"}));
}

TEST_F(Bus, WireNumbersKeepThePeriodUnderACommaLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    port.answer("$", "*\r");
    RunTask(modules.SetAnalogOutput("3", "+", "12.5"), clock);
    QLocale::setDefault(saved);
    EXPECT_EQ(port.written.last(), "$3AO+00012.50\r");
}

// A command without a valid reply is sent again, up to the retries set,
// each try in its own window and handed on as its own exchange; a closed
// port gets no retry, as nothing went out.
TEST_F(Bus, RetriesSendTheSameLineAgainEachWithItsOwnWindow) {
    QList<BusExchange> heard;
    link.setExchangeHook([&heard](const BusExchange& x) { heard << x; });
    link.setRetries(9);
    EXPECT_EQ(link.retries(), DghLink::kMaxRetries);
    link.setRetries(2);

    port.queueReply("xy", 5);           // something, but no reply
    port.queueReply("*+00001.00\r", 5); // the retry is answered
    const std::int32_t before = clock.ticks();
    const BusExchange x = RunTask(link.Exchange("$1RD\r"), clock);
    EXPECT_TRUE(x.valid());
    EXPECT_EQ(x.attempt, 1);
    EXPECT_EQ(clock.ticks() - before, 2 * DghLink::kReplyWaitMs);
    EXPECT_EQ(port.written, (QList<QByteArray>{"$1RD\r", "$1RD\r"}));
    ASSERT_EQ(heard.size(), 2);
    EXPECT_EQ(heard[0].status, BusExchange::Status::Invalid);
    EXPECT_EQ(heard[0].attempt, 0);
    EXPECT_EQ(heard[1].attempt, 1);

    // Every try missed: the last one is what the caller gets.
    heard.clear();
    port.written.clear();
    const BusExchange missed = RunTask(link.Exchange("$4RD\r"), clock);
    EXPECT_EQ(missed.status, BusExchange::Status::Timeout);
    EXPECT_EQ(missed.reply, "TIMEOUT");
    EXPECT_EQ(port.written.size(), 3);
    ASSERT_EQ(heard.size(), 3);
    EXPECT_EQ(heard[2].attempt, 2);

    heard.clear();
    port.close();
    EXPECT_EQ(RunTask(link.Exchange("$4RD\r"), clock).status, BusExchange::Status::Closed);
    EXPECT_EQ(op.texts(), QStringList{QStringLiteral("Port Not open")});

    // Without retries a miss is final at once.
    port.open();
    port.written.clear();
    link.setRetries(0);
    EXPECT_FALSE(RunTask(link.Exchange("$4RD\r"), clock).valid());
    EXPECT_EQ(port.written.size(), 1);
}
