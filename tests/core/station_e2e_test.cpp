// The whole station on the flume simulator: the bus opened through the port
// dialog, the real serial port, the real clock and the station's timers.

#include "core/clock.h"
#include "portdialog/frmcomms1.h"
#include "tests/support/fakes.h"
#include "tests/support/simprocess.h"
#include "ui/mainwindow.h"
#include "ui/qtserialport.h"
#include "ui/widgets/indicatorlamp.h"
#include "ui/widgets/slide.h"
#include "ui/widgets/statusbar.h"
#include "ui/widgets/togglebutton.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

class StationOnFlume : public ::testing::Test {
protected:
    void Start(const QStringList& simArgs) {
        ASSERT_TRUE(store.isValid());
        // Modules answer at once, leaving most of the 35 ms window to a busy
        // machine's scheduling.
        ASSERT_TRUE(sim.start(QStringList{QStringLiteral("--reply-delay-ms"), QStringLiteral("1")} +
                              simArgs))
            << sim.errorText().toStdString();
        store.mapPort(4, sim.dghDevice());
        store.mapPort(5, sim.ctdDevice());
        dgh = std::make_unique<QtSerialPort>(4, QStringLiteral("19200,n,8,1"));
        ctd = std::make_unique<QtSerialPort>(5, QStringLiteral("9600,n,8,1"));
        main = std::make_unique<frmMain>(
            Platform{*dgh, *ctd, clock, op, QStringLiteral(CORVALE_BINARY_DIR)});
        main->show();

        // The operator opens the bus with the settings the dialog offers.
        main->showComms();
        frmComms1* dialog = main->commsDialog();
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->cmdUpdate, Qt::LeftButton);
        ASSERT_TRUE(dgh->isOpen()) << Messages();
        ASSERT_TRUE(main->Timer1.isTicking());
        ASSERT_TRUE(main->tmrRPM.isTicking());
    }
    QString SimState() {
        QString answer;
        sim.control(QStringLiteral("state"), &answer);
        return answer;
    }
    std::string Messages() const { return op.texts().join(QStringLiteral(" | ")).toStdString(); }
    double Rpm() const { return main->lblThrustRPM->text().toDouble(); }

    PrivateStore store;
    SimProcess sim;
    RealClock clock;
    RecordingOperator op;
    std::unique_ptr<QtSerialPort> dgh;
    std::unique_ptr<QtSerialPort> ctd;
    std::unique_ptr<frmMain> main;
};

TEST_F(StationOnFlume, APoweredThrusterSpeedsUpOnScreen) {
    Start({QStringLiteral("--lag-seconds"),
           QStringLiteral("4")}); // a slow rise, seen over several readings
    QTest::mouseClick(main->cwThrust, Qt::LeftButton);
    main->sldThruster->setValue(600);
    ASSERT_TRUE(WaitFor([&] { return Rpm() > 0; }, 4000))
        << main->lblThrustRPM->text().toStdString();
    const double first = Rpm();
    ASSERT_TRUE(WaitFor([&] { return Rpm() > first; }, 4000)) << Messages();
    EXPECT_LE(Rpm(), 900.5); // 600 of 1000 is 15 Hz, 900 RPM at most
    EXPECT_NE(main->lblMtrCur->text(), QStringLiteral("0"));
    EXPECT_TRUE(SimState().contains(QStringLiteral("thruster=on")));
    EXPECT_TRUE(op.messages.isEmpty()) << Messages();
}

TEST_F(StationOnFlume, TheProfilerStopsItselfAtTheUpperEndStop) {
    Start({QStringLiteral("--travel-seconds"), QStringLiteral("2"), QStringLiteral("--carriage"),
           QStringLiteral("0.8")});
    ASSERT_TRUE(WaitFor([&] { return main->lblStatus[0]->value(); }, 3000)) << Messages();
    QTest::mouseClick(main->cwVP, Qt::LeftButton);
    QTest::mouseClick(main->CWButtonUp, Qt::LeftButton);
    ASSERT_TRUE(main->CWButtonUp->value());
    EXPECT_FALSE(main->CWButtonDwn->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !main->lblStatus[0]->value(); }, 5000)) << Messages();
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
    ASSERT_TRUE(WaitFor(
        [&] {
            return main->lblThrustRPM->text() == QStringLiteral("0") &&
                   main->Label5->text() == QStringLiteral("1,1");
        },
        3000));
    ASSERT_TRUE(sim.control(QStringLiteral("silent 4")));
    ASSERT_TRUE(WaitFor([&] { return !dgh->isOpen(); }, 4000));
    EXPECT_EQ(main->StatusBar1->panelText(4), QStringLiteral("Comm port closed"));
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4),
              main->iconPath(QStringLiteral("redlight.bmp")));
    EXPECT_FALSE(main->tmrRPM.isTicking());
    ASSERT_FALSE(op.messages.isEmpty());
    EXPECT_EQ(op.messages[0].text,
              QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\nClosing Comm Port"));
    // The poll meets the closed port on its next tick and stops too.
    ASSERT_TRUE(WaitFor([&] { return !main->Timer1.isTicking(); }, 2000));
    EXPECT_TRUE(op.texts().contains(QStringLiteral("NO VALID RETURN FROM 1712")));
}

} // namespace
