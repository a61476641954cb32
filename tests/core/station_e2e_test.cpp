// The whole station on the flume simulator: the bus opened through the port
// dialog, the real serial port, the real clock and the station's timers.

#include "tests/support/simstation.h"
#include "ui/mainwindow.h"
#include "ui/widgets/indicatorlamp.h"
#include "ui/widgets/slide.h"
#include "ui/widgets/statusbar.h"
#include "ui/widgets/togglebutton.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

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

} // namespace
