// The whole station on the flume simulator: the bus opened through the port
// dialog, the real serial port, the real clock and the station's timers.

#include "bus/faults.h"
#include "health/frmhealth.h"
#include "health/linkhealth.h"
#include "portdialog/frmfaults.h"
#include "tests/support/simstation.h"
#include "ui/mainwindow.h"
#include "widgets/indicatorlamp.h"
#include "widgets/slide.h"
#include "widgets/statusbar.h"
#include "widgets/togglebutton.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

using namespace corvale;

namespace {

class StationOnFlume : public ::testing::Test, public SimStation {
protected:
    void Start(const QStringList& simArgs) {
        ASSERT_TRUE(start(simArgs)) << errorText().toStdString();
        // The operator opens the bus with the settings the dialog offers.
        ASSERT_TRUE(openBus()) << messages();
    }
    QString SimState() {
        QString answer;
        sim.control(QStringLiteral("state"), &answer);
        return answer;
    }
    std::string Messages() const { return messages(); }
    double Rpm() const { return main->lblThrustRPM->text().toDouble(); }
};

TEST_F(StationOnFlume, APoweredThrusterSpeedsUpOnScreen) {
    Start({QStringLiteral("--lag-seconds"),
           QStringLiteral("4")}); // a slow rise, seen over several readings
    QTest::mouseClick(main->cwThrust, Qt::LeftButton);
    main->sldThruster->setValue(600);
    ASSERT_TRUE(WaitUntil([&] { return Rpm() > 0; }, 4000))
        << main->lblThrustRPM->text().toStdString();
    const double first = Rpm();
    ASSERT_TRUE(WaitUntil([&] { return Rpm() > first; }, 4000)) << Messages();
    EXPECT_LE(Rpm(), 900.5); // 600 of 1000 is 15 Hz, 900 RPM at most
    EXPECT_NE(main->lblMtrCur->text(), QStringLiteral("0"));
    EXPECT_TRUE(SimState().contains(QStringLiteral("thruster=on")));
    EXPECT_TRUE(op.messages.isEmpty()) << Messages();
}

TEST_F(StationOnFlume, TheProfilerStopsItselfAtTheUpperEndStop) {
    Start({QStringLiteral("--travel-seconds"), QStringLiteral("2"), QStringLiteral("--carriage"),
           QStringLiteral("0.8")});
    ASSERT_TRUE(WaitUntil([&] { return main->lblStatus[0]->value(); }, 3000)) << Messages();
    QTest::mouseClick(main->cwVP, Qt::LeftButton);
    QTest::mouseClick(main->CWButtonUp, Qt::LeftButton);
    ASSERT_TRUE(main->CWButtonUp->value());
    EXPECT_FALSE(main->CWButtonDwn->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return !main->lblStatus[0]->value(); }, 5000)) << Messages();
    EXPECT_EQ(main->Label5->text(), QStringLiteral("0,1"));
    EXPECT_FALSE(main->CWButtonUp->value());
    EXPECT_FALSE(main->CWButtonUp->isEnabled());
    EXPECT_TRUE(main->CWButtonDwn->isEnabled());
    const QString state = SimState();
    EXPECT_TRUE(state.contains(QStringLiteral(" drive=0 "))) << state.toStdString();
    EXPECT_TRUE(op.messages.isEmpty()) << Messages();
}

TEST_F(StationOnFlume, ASilentWaveSpeedModuleClosesTheBus) {
    Start({});
    ASSERT_TRUE(WaitUntil(
        [&] {
            return main->lblThrustRPM->text() == QStringLiteral("0") &&
                   main->Label5->text() == QStringLiteral("1,1");
        },
        3000));
    ASSERT_TRUE(sim.control(QStringLiteral("silent 4")));
    ASSERT_TRUE(WaitUntil([&] { return !dgh->isOpen(); }, 4000));
    EXPECT_EQ(main->StatusBar1->panelText(4), QStringLiteral("Comm port closed"));
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4),
              main->iconPath(QStringLiteral("redlight.bmp")));
    EXPECT_FALSE(main->tmrRPM.isTicking());
    ASSERT_FALSE(op.messages.isEmpty());
    EXPECT_EQ(op.messages[0].text,
              QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\nClosing Comm Port"));
    // The poll meets the closed port on its next tick and stops too.
    ASSERT_TRUE(WaitUntil([&] { return !main->Timer1.isTicking(); }, 2000));
    EXPECT_TRUE(op.texts().contains(QStringLiteral("NO VALID RETURN FROM 1712")));
}

// With one retry set in the Faults window, a missed reply is asked again on
// the wire and the poll rides through; two missed replies in a row fail as
// without retries.
TEST_F(StationOnFlume, OneRetryRidesThroughAMissedReplyButNotTwo) {
    Start({});
    main->mnuFaults->trigger();
    frmFaults* faults = main->faultsWindow();
    ASSERT_NE(faults, nullptr);
    faults->spnRetries->setValue(1);
    QTest::mouseClick(faults->cmdSave, Qt::LeftButton);
    faults->close();
    QList<BusExchange> wire;
    QObject::connect(&main->bus(), &BusSession::exchanged, main.get(),
                     [&wire](const BusExchange& x) { wire << x; });
    const LinkHealth& health = main->linkHealth();
    ASSERT_TRUE(WaitUntil([&] { return main->lblThrustRPM->text() == QStringLiteral("0"); }, 3000));

    ASSERT_TRUE(sim.control(QStringLiteral("drop 1 1")));
    ASSERT_TRUE(WaitUntil([&] { return health.module(QLatin1Char('1')).retries >= 1; }, 3000))
        << Messages();
    ASSERT_TRUE(
        WaitUntil([&] { return !wire.isEmpty() && wire.last().line.startsWith("$4RD"); }, 3000));
    EXPECT_TRUE(op.messages.isEmpty()) << Messages();
    EXPECT_EQ(main->bus().state(), BusSession::State::Running);
    EXPECT_TRUE(main->tmrRPM.isTicking());
    // The same line went out twice in a row, and the second try was answered.
    const auto retried = std::find_if(wire.cbegin(), wire.cend(),
                                      [](const BusExchange& x) { return x.attempt == 1; });
    ASSERT_NE(retried, wire.cend());
    ASSERT_NE(retried, wire.cbegin());
    EXPECT_EQ(retried->line, QByteArray("$1RD\r"));
    EXPECT_TRUE(retried->valid());
    EXPECT_EQ(std::prev(retried)->line, QByteArray("$1RD\r"));
    EXPECT_EQ(std::prev(retried)->status, BusExchange::Status::Timeout);
    EXPECT_EQ(LoadFaultSettings().retries, 1);
    main->mnuHealth->trigger();
    ASSERT_NE(main->healthWindow(), nullptr);
    EXPECT_EQ(main->healthWindow()->findChild<QLabel*>(QStringLiteral("healthFaults"))->text(),
              QStringLiteral("up to 1 retry of a missed reply"));
    EXPECT_EQ(main->healthWindow()->findChild<QLabel*>(QStringLiteral("healthRetries"))->text(),
              QString::number(health.retries()));

    ASSERT_TRUE(sim.control(QStringLiteral("drop 1 2")));
    ASSERT_TRUE(WaitUntil([&] { return !op.messages.isEmpty(); }, 3000));
    EXPECT_EQ(op.texts(), QStringList{QStringLiteral("NO VALID RETURN FROM Freq. MODULE")});
    EXPECT_EQ(health.module(QLatin1Char('1')).retries, 2);

    ASSERT_TRUE(sim.control(QStringLiteral("drop 4 2")));
    ASSERT_TRUE(WaitUntil([&] { return !dgh->isOpen(); }, 3000)) << Messages();
    // The box of the wave speed module is the second; the poll's cascade
    // on the closed port follows as without retries.
    ASSERT_GE(op.messages.size(), 2);
    EXPECT_EQ(op.messages[1].text,
              QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\nClosing Comm Port"));
    EXPECT_FALSE(main->tmrRPM.isTicking());
}

} // namespace
