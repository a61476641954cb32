// What the queued bus must keep of the blocking one, one scene each, on the
// real main window with waits kept pending: an end-stop STOP goes out before
// any queued work, the wire keeps the operator's order, one message box at a
// time for the whole station, nothing runs after shutdown under a box, an
// exchange is stamped when its reply window closed, and one module's late
// reply is never another module's reading.

#include "archive/rawarchive.h"
#include "bus/bussession.h"
#include "feed/shipfeed.h"
#include "health/linkhealth.h"
#include "logging/frmlogbf2.h"
#include "logging/loggingcontrol.h"
#include "logging/logline.h"
#include "tests/support/feedlistener.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/slide.h"
#include "widgets/togglebutton.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace corvale;

namespace {

class BusSafetyTest : public WaitingBusTest {
protected:
    void settle() { ASSERT_TRUE(session().runUntilIdle()); }
    void feedTo(const FeedListener& listener) {
        ASSERT_TRUE(listener.bound());
        main->feed().setSettings(FeedSettings{true, QStringLiteral("127.0.0.1"), listener.port()});
    }
    // Logging to a file of the program folder, every second.
    void startLogging() {
        ClickToolbar(*main, "start");
        auto* dialog = find<frmLogBF2>("frmLogBF2");
        ASSERT_NE(dialog, nullptr);
        dialog->optDatafile[1]->click();
        op.fileAnswers.push_back(programDir.filePath(QStringLiteral("run.log")));
        dialog->cmdSelect->click();
        dialog->optAppend[1]->click();
        dialog->cmbInterval->setCurrentIndex(6);
        dialog->cmdExit->click();
        ASSERT_TRUE(main->tmrlogger.isEnabled());
    }
    // A log record that meets a full disk (a file size limit stands in).
    void failLogRecord() {
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = static_cast<rlim_t>(QFileInfo(programDir.filePath("run.log")).size());
        setrlimit(RLIMIT_FSIZE, &tight);
        main->tmrlogger.fire();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
};

} // namespace

TEST_F(BusSafetyTest, TheEndStopStopGoesOutRightAfterThePollThatSawIt) {
    main->cwVP->setValue(true);
    Poll("*0003\r"); // both directions free
    settle();
    QTest::mouseClick(main->CWButtonUp, Qt::LeftButton);
    settle();
    TakeLines();

    // Driving up: the next poll shows the up end-stop while an RPM tick and
    // a speed change wait behind it.
    Poll("*0001\r");
    ASSERT_TRUE(main->tmrRPM.fire());
    main->sldWave->setValue(300);
    settle();
    QStringList lines = TakeLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.mid(0, 2), (QStringList{"$9DI", "$2AO+00000.00"}));
    EXPECT_FALSE(main->CWButtonUp->value());

    // A drive the operator asked for while the poll waited never follows the
    // STOP onto the wire.
    Poll("*0003\r");
    settle();
    TakeLines();
    Poll("*0001\r"); // waits for its reply
    QTest::mouseClick(main->CWButtonUp, Qt::LeftButton);
    settle();
    lines = TakeLines();
    EXPECT_EQ(lines.first(), "$9DI");
    EXPECT_FALSE(lines.contains("$2AO+05000.00")) << lines.join(' ').toStdString();
    EXPECT_FALSE(main->CWButtonUp->value());
}

TEST_F(BusSafetyTest, TheWireAndTheFeedKeepTheOperatorsOrder) {
    FeedListener listener;
    feedTo(listener);
    main->cwThrust->setValue(true);
    settle();
    TakeLines();

    ASSERT_TRUE(main->tmrRPM.fire()); // the cycle is busy
    main->sldThruster->setValue(500);
    main->cwThrust->setValue(false);
    main->sldThruster->setValue(900);
    settle();
    const QStringList lines = TakeLines();
    const QStringList tail = lines.mid(lines.indexOf("$9SP02"));
    EXPECT_EQ(tail, (QStringList{"$9SP02", "$0AO+00900.00"})) << lines.join(' ').toStdString();
    EXPECT_FALSE(lines.contains("$0AO+00500.00"));

    QStringList actions;
    QTest::qWait(50);
    for (const QString& s : listener.sentences())
        if (s.startsWith(QStringLiteral("$CVACT")))
            actions << s.section(QLatin1Char('*'), 0, 0).section(QLatin1Char(','), 2);
    ASSERT_GE(actions.size(), 3) << actions.join(' ').toStdString();
    EXPECT_EQ(actions.mid(actions.size() - 2), (QStringList{"THR,POWER,OFF", "THR,SPEED,900"}))
        << actions.join(' ').toStdString();
}

TEST_F(BusSafetyTest, BoxesFromEveryPartComeOneAtATimeInTheOrderRaised) {
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    main->cwCTDflag->setValue(true);
    startLogging();
    RawArchive& archive = main->logging().archive();
    Silent("$9DI");
    int open = 0;
    int most = 0;
    op.duringMessage = [&](const QString& text) {
        most = std::max(most, ++open);
        if (text == QStringLiteral("NO VALID RETURN FROM 1712")) {
            ctd.vanish();    // the CTD line is lost
            failLogRecord(); // a log record cannot be written
            ASSERT_TRUE(archive.open("/dev/full"));
            archive.appendMark(clock.now(), 1, "note"); // nor the archive
        }
        --open;
    };
    ASSERT_TRUE(main->Timer1.fire());
    settle();
    EXPECT_EQ(most, 1);
    const QStringList texts = op.texts();
    ASSERT_EQ(texts.size(), 4) << texts.join('|').toStdString();
    EXPECT_EQ(texts[0], "NO VALID RETURN FROM 1712");
    EXPECT_TRUE(texts[1].contains("CTD")) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].contains("Logging has been stopped")) << texts[2].toStdString();
    EXPECT_TRUE(texts[3].contains("raw archive")) << texts[3].toStdString();
}

TEST_F(BusSafetyTest, NothingOfTheBusRunsAfterShutdownUnderABox) {
    FeedListener listener;
    feedTo(listener);
    Silent("$1RD");
    Silent("$4RD");
    QSignalSpy states(&session(), &BusSession::stateChanged);
    op.duringMessage = [&](const QString&) {
        if (op.messages.size() == 1)
            main->close();
    };
    ASSERT_TRUE(main->tmrRPM.fire());
    settle();
    EXPECT_EQ(TakeLines(), QStringList{"$1RD"});
    EXPECT_EQ(op.texts(), QStringList{"NO VALID RETURN FROM Freq. MODULE"});
    EXPECT_EQ(states.count(), 0);
    clock.advance(1000);
    QTest::qWait(50);
    for (const QString& s : listener.sentences())
        EXPECT_FALSE(s.startsWith(QStringLiteral("$CVBUS"))) << s.toStdString();
    main.reset(); // destroying the session is as quiet
    EXPECT_TRUE(bus.written.isEmpty());
}

TEST_F(BusSafetyTest, AnExchangeHeldByABoxKeepsTheTimeItsWindowClosed) {
    main->cwCTDflag->setValue(true);
    const QDateTime sent = clock.now();
    ASSERT_TRUE(main->Timer1.fire());
    op.duringMessage = [&](const QString&) {
        clock.advance(35); // the window closes under the box
        clock.advance(4965);
    };
    ctd.vanish(); // a box over the waiting poll: its window closes under it
    settle();
    const ModuleHealth m = main->linkHealth().module(QLatin1Char('9'));
    EXPECT_EQ(m.valid, 1);
    EXPECT_EQ(m.lastValidTime, sent.addMSecs(35));
}

TEST_F(BusSafetyTest, ALateReplyIsNeverTheNextModulesReading) {
    main->cwThrust->setValue(true);
    settle();
    bus.answer("$5RD", "*+00342.50\r", 55); // into module 6's window
    bus.answer("$6RD", "*+00000.00\r", 5);
    ASSERT_TRUE(main->tmrRPM.fire());
    settle();
    const StationState& s = main->state();
    EXPECT_EQ(s.ThrusterCurrent.reply, "TIMEOUT");
    EXPECT_EQ(s.WaveCurrent.reply, "TIMEOUT");
    EXPECT_NE(main->lblWaveCur->text(), "32.88");
    EXPECT_NE(main->lblMtrCur->text(), "32.88");
    const QString record = LogRecordLine(s, QTime(14, 7, 10));
    EXPECT_FALSE(record.contains("342.5")) << record.toStdString();
    EXPECT_EQ(main->linkHealth().module(QLatin1Char('6')).stray, 1);
}
