// The once-a-second cycle on tmrRPM: pH, motor speeds and motor powers.

#include "tests/support/mainwindow_fixture.h"
#include "widgets/statusbar.h"
#include "widgets/togglebutton.h"

#include <QLabel>

using namespace corvale;

namespace {

class Readings : public PollingTest {
protected:
    void Cycle() { ASSERT_TRUE(main->tmrRPM.fire()); }
    void PhOn() { main->cwbPh->setValue(true); }
    StationState& s() { return main->state(); }
    QString text(QLabel* label) const { return label->text(); }
};

TEST_F(Readings, ReadsEveryModuleInOrder) {
    PhOn();
    Cycle();
    EXPECT_EQ(TakeLines(), (QStringList{"$ARD", "$1RD", "$4RD", "$5RD", "$6RD", "$7RD"}));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(Readings, PhIsNotReadWhileSwitchedOff) {
    s().PhValue.value = 6.5;
    main->lblpH->setText(QStringLiteral("6.5"));
    Cycle();
    EXPECT_FALSE(TakeLines().contains(QStringLiteral("$ARD")));
    EXPECT_EQ(s().PhValue.value, 6.5);
    EXPECT_EQ(text(main->lblpH), QStringLiteral("6.5"));
}

TEST_F(Readings, ConvertsTheElectrodeVoltageToPh) {
    PhOn();
    s().CtdTemperature.value = 20;
    Cycle();
    EXPECT_EQ(s().PhMilliVolts.value, 123.45);
    EXPECT_DOUBLE_EQ(s().PhVolts, 0.12345);
    EXPECT_EQ(s().PhValue.value, -2.0796);
    EXPECT_EQ(text(main->lblmV), QStringLiteral("123.45"));
    EXPECT_EQ(text(main->lblpH), QStringLiteral("-2.0796"));

    bus.answer("$ARD", "*+00000.00\r");
    s().CtdTemperature.value = 0; // no CTD record yet
    Cycle();
    EXPECT_EQ(text(main->lblmV), QStringLiteral("0"));
    EXPECT_EQ(text(main->lblpH), QStringLiteral("-3.2506"));
}

TEST_F(Readings, TheSignPositionAndCharactersPastTheValueAreNotRead) {
    PhOn();
    bus.answer("$ARD", "*-00123.4599\r");
    Cycle();
    EXPECT_EQ(s().PhMilliVolts.value, 123.45);
}

TEST_F(Readings, AnUnreadableVoltageKeepsTheLastButRecomputesThePh) {
    PhOn();
    Cycle(); // 123.45 mV at 0 C
    const double before = s().PhValue.value;
    bus.answer("$ARD", "*+0012x.45\r");
    s().CtdTemperature.value = 20;
    Cycle();
    EXPECT_EQ(s().PhMilliVolts.value, 123.45);
    EXPECT_NE(s().PhValue.value, before);
    EXPECT_EQ(s().PhValue.value, -2.0796); // the new temperature with the kept voltage
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(Readings, AConversionThatCannotBeMadeKeepsTheLastPh) {
    PhOn();
    s().CtdTemperature.value = 20;
    Cycle();
    bus.answer("$ARD", "*+00200.00\r");
    for (auto [slope, temp] : {std::pair{0.0, 20.0}, std::pair{4.5, -273.15}}) {
        s().CalSlope = slope;
        s().CtdTemperature.value = temp;
        Cycle();
        EXPECT_EQ(s().PhValue.value, -2.0796);
        EXPECT_EQ(text(main->lblpH), QStringLiteral("-2.0796"));
        EXPECT_EQ(text(main->lblmV), QStringLiteral("200")); // the voltage is still shown
    }
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(Readings, AnEmptyPhValueChangesNothing) {
    PhOn();
    bus.answer("$ARD", "*+\r");
    main->lblmV->setText(QStringLiteral("000"));
    Cycle();
    EXPECT_EQ(text(main->lblmV), QStringLiteral("000"));
    EXPECT_EQ(s().PhMilliVolts.value, 0);
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(Readings, ASilentPhModuleSwitchesPhReadingOff) {
    PhOn();
    Cycle();
    const double before = s().PhValue.value;
    Silent("$ARD");
    TakeLines();
    Cycle();
    EXPECT_EQ(op.texts(), QStringList{QStringLiteral("NO VALID RETURN FROM pH MODULE")});
    EXPECT_FALSE(main->cwbPh->value());
    EXPECT_FALSE(s().PhReadingEnabled);
    EXPECT_EQ(text(main->lblmV), QString());
    EXPECT_EQ(text(main->lblpH), QString());
    EXPECT_EQ(s().PhValue.value, before); // the reading itself stays
    // The rest of the cycle goes on, and the pH module is left alone after.
    EXPECT_EQ(TakeLines(), (QStringList{"$ARD", "$1RD", "$4RD", "$5RD", "$6RD", "$7RD"}));
    Cycle();
    EXPECT_FALSE(TakeLines().contains(QStringLiteral("$ARD")));
    EXPECT_TRUE(bus.isOpen());
}

TEST_F(Readings, ShowsMotorSpeedsInRpm) {
    Cycle();
    EXPECT_EQ(s().ThrusterRpm.value, 1200);
    EXPECT_EQ(s().ThrusterRpm.at, clock.now().addMSecs(-4 * 35))
        << "stamped when its reply window closed";
    EXPECT_EQ(text(main->lblThrustRPM), QStringLiteral("1200"));
    EXPECT_DOUBLE_EQ(s().WaveRpm.value, 16.22);
    EXPECT_EQ(text(main->lblWaveRPM), QStringLiteral("16.22"));

    bus.answer("$1RD", "*+90000.00\r");
    bus.answer("$4RD", "*+90000.01\r");
    Cycle();
    EXPECT_EQ(text(main->lblThrustRPM), QStringLiteral("5400000"));
    EXPECT_EQ(text(main->lblWaveRPM), QStringLiteral("0"));
    bus.answer("$1RD", "*+90000.01\r");
    Cycle();
    EXPECT_EQ(s().ThrusterRpm.value, 0);
}

TEST_F(Readings, ShowsMotorPowersAndKeepsTheRawReplies) {
    Cycle();
    EXPECT_EQ(text(main->lblMtrCur), QStringLiteral("1.18"));
    EXPECT_EQ(s().ThrusterCurrent.reply, QStringLiteral("*+00012.34"));
    EXPECT_DOUBLE_EQ(s().ThrusterCurrent.watts.value, 1.18);
    EXPECT_EQ(s().ThrusterCurrent.watts.at, clock.now().addMSecs(-2 * 35));
    EXPECT_EQ(text(main->lblWaveCur), QStringLiteral("9.6"));
    EXPECT_EQ(text(main->lblVPcur), QStringLiteral("9.6"));
    EXPECT_EQ(s().WaveCurrent.reply, QStringLiteral("*+00100.00"));
    EXPECT_EQ(s().ProfilerCurrent.reply, QStringLiteral("*+00100.00"));
}

TEST_F(Readings, ASilentCurrentModuleReadsZeroWithoutAMessage) {
    Cycle();
    Silent("$5RD");
    bus.answer("$7RD", "?01\r");
    Cycle();
    EXPECT_EQ(text(main->lblMtrCur), QStringLiteral("0"));
    EXPECT_EQ(s().ThrusterCurrent.reply, QStringLiteral("TIMEOUT"));
    EXPECT_FALSE(s().ThrusterCurrent.watts.known()); // the 0 shown is no measurement
    EXPECT_EQ(text(main->lblVPcur), QStringLiteral("0"));
    EXPECT_EQ(s().ProfilerCurrent.reply, QStringLiteral("?01"));
    EXPECT_FALSE(s().ProfilerCurrent.watts.known());
    EXPECT_TRUE(s().WaveCurrent.watts.known());
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(Readings, ASilentThrusterSpeedModuleIsReportedAndTheCycleGoesOn) {
    Cycle();
    Silent("$1RD");
    bus.answer("$4RD", "*+00074.00\r");
    TakeLines();
    Cycle();
    EXPECT_EQ(op.texts(), QStringList{QStringLiteral("NO VALID RETURN FROM Freq. MODULE")});
    EXPECT_EQ(op.messages[0].caption, QStringLiteral("Corvale2"));
    EXPECT_EQ(text(main->lblThrustRPM), QStringLiteral("1200")); // kept
    EXPECT_EQ(text(main->lblWaveRPM), QStringLiteral("60"));
    EXPECT_EQ(TakeLines(), (QStringList{"$1RD", "$4RD", "$5RD", "$6RD", "$7RD"}));
    EXPECT_TRUE(main->tmrRPM.isEnabled());
    EXPECT_TRUE(bus.isOpen());
}

TEST_F(Readings, ASpeedReplyWithoutANumberKeepsTheLastSpeed) {
    Cycle();
    bus.answer("$1RD", "*+12x45.00\r");
    bus.answer("$4RD", "*\r");
    TakeLines();
    Cycle();
    EXPECT_EQ(text(main->lblThrustRPM), QStringLiteral("1200"));
    EXPECT_EQ(text(main->lblWaveRPM), QStringLiteral("16.22"));
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(TakeLines().size(), 5); // the cycle went on to the currents
}

TEST_F(Readings, ASilentWaveSpeedModuleClosesTheBus) {
    Cycle();
    Silent("$4RD");
    TakeLines();
    Cycle();
    const QStringList expected{
        QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\nClosing Comm Port"), "Port Not open",
        "Port Not open", "Port Not open"};
    EXPECT_EQ(op.texts(), expected);
    EXPECT_FALSE(main->tmrRPM.isEnabled());
    EXPECT_TRUE(main->Timer1.isEnabled()); // the poll meets the closed port on its own
    EXPECT_FALSE(bus.isOpen());
    EXPECT_EQ(main->StatusBar1->panelText(4), QStringLiteral("Comm port closed"));
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4),
              main->iconPath(QStringLiteral("redlight.bmp")));
    EXPECT_EQ(text(main->lblWaveRPM), QStringLiteral("16.22"));
    EXPECT_EQ(TakeLines(), (QStringList{"$1RD", "$4RD"}));
}

TEST_F(Readings, ACycleOnAClosedPortShowsEachMessageOnceAndStops) {
    PhOn();
    bus.close();
    Cycle();
    const QString portNotOpen = QStringLiteral("Port Not open");
    const QStringList expected{portNotOpen,
                               QStringLiteral("NO VALID RETURN FROM pH MODULE"),
                               portNotOpen,
                               QStringLiteral("NO VALID RETURN FROM Freq. MODULE"),
                               portNotOpen,
                               QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\n"
                                              "Closing Comm Port"),
                               portNotOpen,
                               portNotOpen,
                               portNotOpen};
    EXPECT_EQ(op.texts(), expected);
    for (const auto& m : op.messages)
        EXPECT_EQ(m.caption, m.text == portNotOpen ? QStringLiteral("Port Failure")
                                                   : QStringLiteral("Corvale2"));
    EXPECT_FALSE(main->tmrRPM.isEnabled());
    EXPECT_FALSE(main->tmrRPM.isTicking());
    EXPECT_FALSE(s().PhReadingEnabled);
    EXPECT_EQ(s().ThrusterCurrent.reply, QString());
}

TEST_F(Readings, NoBusTickRunsWhileAMessageIsOpen) {
    Silent("$1RD");
    int dropped = 0;
    op.duringMessage = [&](const QString&) {
        dropped += !main->Timer1.fire();
        dropped += !main->tmrRPM.fire();
    };
    Cycle();
    EXPECT_EQ(dropped, 2);
    EXPECT_EQ(op.messages.size(), 1);
    EXPECT_FALSE(TakeLines().contains(QStringLiteral("$9DI")));
}

} // namespace
