// The poll of module 9's digital inputs on Timer1: Label5, the two lamps and
// the watchdog that closes a silent bus.

#include "health/linkhealth.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/indicatorlamp.h"
#include "widgets/statusbar.h"
#include "widgets/togglebutton.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace corvale;

namespace {

class PollCycle : public PollingTest {
protected:
    QString label5() const { return main->Label5->text(); }
    bool lamp(int i) const { return main->lblStatus[i]->value(); }
};

struct DigitCase {
    const char* reply;
    const char* label;
    bool lamp0;
    bool lamp1;
};

TEST_F(PollCycle, ShowsTheTwoLowBitsOfTheFourthDigit) {
    const DigitCase cases[] = {
        {"*0003\r", "1,1", true, true},   {"*0002\r", "1,0", true, false},
        {"*FFFC\r", "0,0", false, false}, {"*0001\r", "0,1", false, true},
        {"*3\r", "1,1", true, true},      // missing digits reuse the bits of "3"
        {"*000a\r", "0,0", false, false}, // lower case reuses the third digit
    };
    for (const DigitCase& c : cases) {
        Poll(c.reply);
        EXPECT_EQ(label5(), QLatin1String(c.label)) << c.reply;
        EXPECT_EQ(lamp(0), c.lamp0) << c.reply;
        EXPECT_EQ(lamp(1), c.lamp1) << c.reply;
    }
    EXPECT_EQ(TakeLines(), QStringList(6, QStringLiteral("$9DI")));
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_TRUE(main->Timer1.isEnabled());
}

TEST_F(PollCycle, ARepliedButUnreadablePollChangesNothing) {
    Poll("*0002\r");
    for (const char* reply : {"*x001\r", "*\r"}) {
        Poll(reply);
        EXPECT_EQ(label5(), QStringLiteral("1,0")) << reply;
        EXPECT_TRUE(lamp(0));
        EXPECT_FALSE(lamp(1));
    }
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_TRUE(main->Timer1.isEnabled());
    EXPECT_TRUE(bus.isOpen());
}

TEST_F(PollCycle, NoValidReplyClosesTheBus) {
    Poll("*0002\r");
    bool openUnderMessage = false;
    op.duringMessage = [&](const QString&) {
        openUnderMessage = bus.isOpen() && main->Timer1.isEnabled();
    };
    Poll(QByteArray()); // TIMEOUT
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("NO VALID RETURN FROM 1712"));
    EXPECT_EQ(op.messages[0].caption, QStringLiteral("Corvale2"));
    EXPECT_TRUE(openUnderMessage); // the operator reads the message before anything closes
    EXPECT_FALSE(main->Timer1.isEnabled());
    EXPECT_FALSE(bus.isOpen());
    EXPECT_EQ(main->StatusBar1->panelText(4), QStringLiteral("Comm port closed"));
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4),
              main->iconPath(QStringLiteral("redlight.bmp")));
    // The last reading stays on show and the speed timer is left to meet the
    // closed port on its own.
    EXPECT_EQ(label5(), QStringLiteral("1,0"));
    EXPECT_TRUE(lamp(0));
    EXPECT_TRUE(main->tmrRPM.isEnabled());
}

TEST_F(PollCycle, ARejectedCommandIsNoValidReply) {
    Poll("?01\r");
    EXPECT_EQ(op.texts(), QStringList{QStringLiteral("NO VALID RETURN FROM 1712")});
    EXPECT_FALSE(bus.isOpen());
}

TEST_F(PollCycle, ATickOnAClosedPortReportsBothMessagesOnce) {
    bus.close();
    const int closes = bus.closeCount;
    ASSERT_TRUE(main->Timer1.fire());
    ASSERT_EQ(op.messages.size(), 2);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("Port Not open"));
    EXPECT_EQ(op.messages[0].caption, QStringLiteral("Port Failure"));
    EXPECT_EQ(op.messages[1].text, QStringLiteral("NO VALID RETURN FROM 1712"));
    EXPECT_EQ(bus.closeCount, closes); // a closed port is not closed again
    EXPECT_FALSE(main->Timer1.isEnabled());
    EXPECT_EQ(main->StatusBar1->panelText(4), QStringLiteral("Comm port closed"));
}

TEST_F(PollCycle, AMissingRedLightStillMarksThePortClosed) {
    QFile::remove(programDir.filePath(QStringLiteral("icons/redlight.bmp")));
    Poll(QByteArray());
    EXPECT_EQ(main->StatusBar1->panelText(4), QStringLiteral("Comm port closed"));
    EXPECT_FALSE(bus.isOpen());
}

TEST_F(PollCycle, NoBusTickRunsWhileAFailureMessageIsOpen) {
    bool pollRan = true, speedsRan = true;
    op.duringMessage = [&](const QString&) {
        pollRan = main->Timer1.fire();
        speedsRan = main->tmrRPM.fire();
    };
    Poll(QByteArray());
    EXPECT_FALSE(pollRan);
    EXPECT_FALSE(speedsRan);
    EXPECT_EQ(op.messages.size(), 1); // no stacked boxes
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$9DI")});
}

// With reconnect on, a bus the operator opened goes down without a box at
// its first fault: the job ends there, nothing more is sent, an action on
// the closed bus is dropped in silence, and the same port is tried again
// until the digital module answers; then both timers run again. A bus the
// dialog never opened still says "Port Not open".
TEST_F(PollCycle, WithReconnectALineFaultOpensNoBoxAndTheLineComesBackByItself) {
    BusSession& session = main->bus();
    session.setReconnect(true);
    bus.close();
    ASSERT_TRUE(main->Timer1.fire());
    EXPECT_EQ(op.texts().value(0), QStringLiteral("Port Not open"));
    op.messages.clear();

    session.openPort({4, QStringLiteral("19200,n,8,1")});
    ASSERT_TRUE(session.runUntilIdle());
    ASSERT_EQ(session.state(), BusSession::State::Running);
    QSignalSpy down(&session, &BusSession::lineDown);
    QSignalSpy up(&session, &BusSession::lineUp);
    TakeLines();
    Silent("$9DI");
    ASSERT_TRUE(main->Timer1.fire());
    ASSERT_TRUE(session.runUntilIdle());
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join(" | ").toStdString();
    EXPECT_EQ(session.state(), BusSession::State::Down);
    EXPECT_FALSE(bus.isOpen());
    EXPECT_FALSE(main->Timer1.isEnabled());
    EXPECT_FALSE(main->tmrRPM.isEnabled());
    EXPECT_EQ(main->StatusBar1->panelText(4),
              QStringLiteral("Comm port down: NO VALID RETURN FROM 1712 (reconnecting every 2 s)"));
    main->cwThrust->setValue(true);
    ASSERT_TRUE(session.runUntilIdle());
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join(" | ").toStdString();
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$9DI")});
    ASSERT_EQ(down.size(), 1);
    EXPECT_EQ(down[0][0].toString(), QStringLiteral("NO VALID RETURN FROM 1712"));

    // Tried again after 2 s; the module answers.
    Healthy();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.idle() || bus.isOpen(); }, 3000));
    ASSERT_TRUE(session.runUntilIdle());
    EXPECT_EQ(session.state(), BusSession::State::Running);
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$9DI")});
    EXPECT_TRUE(main->Timer1.isEnabled());
    EXPECT_TRUE(main->tmrRPM.isEnabled());
    EXPECT_EQ(up.size(), 1);
    ASSERT_EQ(main->linkHealth().outages().size(), 1u);
    EXPECT_TRUE(main->linkHealth().outages().front().end.isValid());
    EXPECT_TRUE(op.messages.isEmpty());
}

} // namespace
