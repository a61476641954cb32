// The bus session's promises, on the real main window: commands never
// interleave and run in the order asked for, an operator action in the middle
// of a cycle keeps its effect order, readers see whole readings while the bus
// waits, message boxes come one at a time, and a shutdown in the middle of a
// wait leaves nothing behind. The fake clock's waits are deferred here, so a
// test acts while a command waits for its reply.

#include "bus/bussession.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/indicatorlamp.h"
#include "widgets/slide.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using namespace corvale;

namespace {

using BusSessionTest = WaitingBusTest;

BusTask<> Throwing(ModuleOps& ops) {
    co_await ops.ReadData(QStringLiteral("1"));
    throw std::runtime_error("a fault in a job");
}

BusTask<> AlertThenRead(DghLink& link) {
    co_await link.Alert(QStringLiteral("first"));
    co_await link.Exchange(QStringLiteral("$1RD\r"));
    co_await link.Alert(QStringLiteral("second"));
}

BusTask<> AwaitsThrowing(ModuleOps& ops) {
    co_await Throwing(ops);
    co_await ops.ReadData(QStringLiteral("4")); // never reached
}

} // namespace

TEST_F(BusSessionTest, JobsRunOneAtATimeInTheOrderAskedAndABusyTimersTickIsDropped) {
    ASSERT_TRUE(main->Timer1.fire()); // the poll sends and waits
    EXPECT_TRUE(clock.waitPending());
    EXPECT_FALSE(main->Timer1.fire());           // its job is running
    ASSERT_TRUE(main->tmrRPM.fire());            // queued behind it
    EXPECT_FALSE(main->tmrRPM.fire());           // its job is queued
    main->cwThrust->setValue(true);              // queued behind the cycle
    EXPECT_EQ(TakeLines(), QStringList{"$9DI"}); // nothing else went out meanwhile

    ASSERT_TRUE(session().runUntilIdle());
    EXPECT_EQ(TakeLines(), (QStringList{"$1RD", "$4RD", "$5RD", "$6RD", "$7RD", "$9CP02"}));
    EXPECT_EQ(main->Label5->text(), "1,1");
    EXPECT_EQ(main->lblThrustRPM->text(), "1200");
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_TRUE(main->Timer1.fire()); // free again
}

TEST_F(BusSessionTest, AJobThatThrowsOrHasNoFrameEndsAndTheQueueGoesOn) {
    session().enqueue([] { return BusTask<>(); }); // as when its frame cannot be made
    session().enqueue([this] { return AwaitsThrowing(session().modules()); });
    main->cwThrust->setValue(true);
    ASSERT_TRUE(session().runUntilIdle());
    EXPECT_EQ(TakeLines(), (QStringList{"$1RD", "$9CP02"}));
    EXPECT_TRUE(session().idle());
}

TEST_F(BusSessionTest, AnActionInTheMiddleOfACycleKeepsItsEffectOrder) {
    ASSERT_TRUE(main->tmrRPM.fire());
    // A direction pressed while the cycle waits locks the other one out at
    // once, not when its command reaches the bus.
    main->cwVP->setValue(true);
    QTest::mouseClick(main->CWButtonUp, Qt::LeftButton);
    EXPECT_TRUE(main->CWButtonUp->value());
    EXPECT_FALSE(main->CWButtonDwn->isEnabled());
    QTest::mouseClick(main->CWButtonDwn, Qt::LeftButton);
    EXPECT_FALSE(main->CWButtonDwn->value());
    // A slide dragged meanwhile: only its last value waits for the bus.
    for (double v : {100.0, 200.0, 300.0})
        main->sldThruster->setValue(v);

    ASSERT_TRUE(session().runUntilIdle());
    const QStringList lines = TakeLines();
    EXPECT_EQ(lines.mid(5), (QStringList{"$9CP03", "$2AO+05000.00", "$0AO+00300.00"}));
    EXPECT_FALSE(lines.contains("$2AO-05000.00"));
}

TEST_F(BusSessionTest, ReadersSeeWholeReadingsWhileTheBusWaits) {
    main->cwCTDflag->setValue(true);
    ctd.deliver("44.000,10.000,10.000\n");
    main->cwPlot->setValue(true);
    ASSERT_TRUE(main->tmrRPM.fire()); // waits for its first reply
    // During the wait the CTD line is read, a half record changes nothing,
    // and the chart is fed.
    ctd.deliver("52.5,18.");
    EXPECT_EQ(main->state().CtdConductivity.value, 44);
    EXPECT_EQ(main->state().CtdTemperature.value, 10);
    ctd.deliver("25,10.5\n");
    EXPECT_EQ(main->state().CtdConductivity.value, 52.5);
    EXPECT_EQ(main->state().CtdTemperature.value, 18.25);
    ASSERT_TRUE(main->tmrPlot.fire());
    EXPECT_EQ(main->CWGraph1->pointCount(), 1);
    EXPECT_TRUE(clock.waitPending()); // the bus was waiting all along
    ASSERT_TRUE(session().runUntilIdle());
}

TEST_F(BusSessionTest, ABoxOpenWhileTheBusWaitsHoldsTheJobUntilItCloses) {
    Silent("$9DI");
    ASSERT_TRUE(main->Timer1.fire());
    main->cwCTDflag->setValue(true);
    int boxesOpen = 0;
    int mostOpen = 0;
    op.duringMessage = [&](const QString&) {
        ++boxesOpen;
        mostOpen = std::max(mostOpen, boxesOpen);
        // Under the box the wait runs out and a bus tick arrives.
        clock.advance(100);
        EXPECT_FALSE(main->tmrRPM.fire());
        --boxesOpen;
    };
    ctd.vanish(); // "The CTD port ... was lost" opens over the waiting poll
    ASSERT_EQ(op.messages.size(), 1);
    ASSERT_TRUE(session().runUntilIdle());
    EXPECT_EQ(mostOpen, 1);
    ASSERT_EQ(op.messages.size(), 2);
    EXPECT_EQ(op.messages[1].text, "NO VALID RETURN FROM 1712");
    EXPECT_FALSE(bus.isOpen());
    EXPECT_EQ(main->StatusBar1->panelText(4), "Comm port closed");
}

TEST_F(BusSessionTest, ShutdownWhileAJobWaitsLeavesNothingRunning) {
    ASSERT_TRUE(main->tmrRPM.fire());
    main->sldWave->setValue(500); // queued behind it
    ASSERT_TRUE(clock.waitPending());
    main->close();
    EXPECT_FALSE(clock.waitPending());
    EXPECT_FALSE(bus.isOpen());
    main.reset();
    clock.advance(1000); // nothing is left to resume
    EXPECT_EQ(TakeLines(), QStringList{"$1RD"});
    EXPECT_TRUE(op.messages.isEmpty());
}

// With the real clock: the window's own timers run while a command waits
// its 35 ms for the reply.
TEST(BusSessionRealTime, TheEventLoopRunsWhileACommandWaits) {
    RealClock real;
    WindowOnFakes station;
    station.windowClock = &real;
    frmMain& main = station.make(false);
    FakeSerialPort& bus = station.bus;
    main.show();
    ASSERT_EQ(bus.open(), SerialPort::OpenError::None);
    bus.answer("$9DI", "*0001\r", 0);

    QStringList seen;
    int paints = 0;
    struct PaintCounter : QObject {
        int* n;
        explicit PaintCounter(int* count) : n(count) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                ++*n;
            return false;
        }
    } counter(&paints);
    // A label of the window stands for anything that paints.
    main.lblpH->installEventFilter(&counter);
    QTimer probe;
    probe.setInterval(2);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!main.bus().idle() && main.Label5->text().isEmpty()) {
            seen << QStringLiteral("tick");
            main.CWGraph1->appendPoint(0.5, 7);
            main.lblpH->repaint();
        }
    });
    probe.start();
    ASSERT_TRUE(main.Timer1.fire());
    ASSERT_FALSE(main.bus().idle()); // the poll waits without holding the thread
    ASSERT_TRUE(main.bus().runUntilIdle());
    EXPECT_EQ(main.Label5->text(), "0,1");
    EXPECT_FALSE(seen.isEmpty());
    EXPECT_GT(paints, 0);
    EXPECT_GT(main.CWGraph1->pointCount(), 0);
}

// Destroying the session while its job waits under a box is as safe as a
// shutdown: the job ends where it stands when the box closes.
TEST(BusSessionTeardown, DestroyingTheSessionUnderABoxEndsItsJobThere) {
    FakeClock clock;
    FakeSerialPort port{clock, 4, QStringLiteral("19200,n,8,1")};
    RecordingOperator op;
    OperatorSink sink{op};
    StationTimer poll{QStringLiteral("Timer1"), StationTimer::Kind::Bus};
    StationTimer rpm{QStringLiteral("tmrRPM"), StationTimer::Kind::Bus};
    ASSERT_EQ(port.open(), SerialPort::OpenError::None);
    auto session = std::make_unique<BusSession>(port, clock, sink, poll, rpm);
    op.duringMessage = [&](const QString&) { session.reset(); };
    DghLink& link = session->link();
    session->enqueue([&link] { return AlertThenRead(link); });
    EXPECT_EQ(session, nullptr);
    EXPECT_EQ(op.texts(), QStringList{"first"});
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_FALSE(ModalScope::active());
}

// A message raised while a file dialog is open waits for the dialog.
TEST(OperatorSinkTest, AMessageRaisedUnderAFileDialogIsShownAfterIt) {
    struct Dialogs : Operator {
        OperatorSink* sink = nullptr;
        QStringList seen;
        void message(const QString& text, const QString&) override { seen << text; }
        QString openFileName(const QString&, const QString&) override {
            seen << QStringLiteral("dialog");
            sink->message(QStringLiteral("CTD lost"));
            seen << QStringLiteral("dialog closed");
            return QStringLiteral("run.csv");
        }
    } dialogs;
    OperatorSink sink{dialogs};
    dialogs.sink = &sink;
    EXPECT_EQ(sink.openFileName(QString(), QString()), "run.csv");
    EXPECT_EQ(dialogs.seen, (QStringList{"dialog", "dialog closed", "CTD lost"}));
}
