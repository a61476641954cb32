// Thruster and wave generator panels, the vertical profiler and the lamp
// interlock, driven through the main window's widgets.

#include "tests/support/mainwindow_fixture.h"
#include "widgets/indicatorlamp.h"
#include "widgets/numericbox.h"
#include "widgets/slide.h"
#include "widgets/togglebutton.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>

using namespace corvale;

namespace {

class Actuators : public OnBusTest {};

TEST_F(Actuators, PowerTogglesSwitchTheRelaysClearedForOn) {
    main->cwThrust->setValue(true);
    main->cwThrust->setValue(false);
    main->cwWave->setValue(true);
    main->cwWave->setValue(false);
    main->cwVP->setValue(true);
    main->cwVP->setValue(false);
    EXPECT_EQ(TakeLines(),
              (QStringList{"$9CP02", "$9SP02", "$9CP04", "$9SP04", "$9CP03", "$9SP03"}));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(Actuators, AClickOnAPowerToggleSendsOneLine) {
    QTest::mouseClick(main->cwThrust, Qt::LeftButton);
    EXPECT_TRUE(main->cwThrust->value());
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$9CP02")});
}

TEST_F(Actuators, ARejectedRelayCommandIsReportedAndTheToggleStays) {
    bus.answer("$9CP", "?00\r");
    main->cwWave->setValue(true);
    EXPECT_EQ(op.texts(), QStringList{QStringLiteral("No valid return from ClearPosition")});
    EXPECT_TRUE(main->cwWave->value());
}

TEST_F(Actuators, SlidesSendTheirValueAndMoveTheirBox) {
    main->sldThruster->setValue(1000);
    EXPECT_EQ(main->CWNumEdit1->value(), 1000);
    main->sldThruster->setValue(0);
    EXPECT_EQ(main->CWNumEdit1->value(), 0);
    main->sldWave->setValue(5000);
    EXPECT_EQ(main->CWNumEdit2->value(), 5000);
    main->sldWave->setValue(250);
    EXPECT_EQ(TakeLines(),
              (QStringList{"$0AO+01000.00", "$0AO+00000.00", "$3AO+05000.00", "$3AO+00250.00"}));
}

TEST_F(Actuators, TheWireKeepsItsPeriodUnderAnotherDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    main->sldWave->setValue(1234);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$3AO+01234.00")});
}

TEST_F(Actuators, AValueTypedIntoTheBoxReachesTheModuleOnce) {
    NumericBox* box = main->CWNumEdit1;
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("300"));
    QTest::keyClick(box, Qt::Key_Enter);
    EXPECT_EQ(main->sldThruster->value(), 300);
    EXPECT_EQ(box->value(), 300);
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$0AO+00300.00")});
}

TEST_F(Actuators, ABoxValueBeyondTheSlideEndsAtTheSlidesLimit) {
    main->CWNumEdit2->setValue(9000);
    EXPECT_EQ(main->sldWave->value(), 5000);
    EXPECT_EQ(main->CWNumEdit2->value(), 5000);
    // Once more with the slide already at its limit: nothing new to send,
    // and the box still shows what the module has.
    main->CWNumEdit2->setValue(7000);
    EXPECT_EQ(main->CWNumEdit2->value(), 5000);
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$3AO+05000.00")});
}

TEST_F(Actuators, SpeedsAreSentWithThePowerOff) {
    ASSERT_FALSE(main->cwThrust->value());
    main->sldThruster->setValue(250);
    EXPECT_EQ(TakeLines(), QStringList{QStringLiteral("$0AO+00250.00")});
}

TEST_F(Actuators, OnAClosedBusTheControlsKeepTheirNewValues) {
    bus.close();
    main->sldThruster->setValue(400);
    EXPECT_EQ(op.texts(), QStringList{QStringLiteral("Port Not open")});
    main->cwThrust->setValue(true);
    EXPECT_EQ(op.texts(), (QStringList{"Port Not open", "Port Not open",
                                       "No valid return from ClearPosition"}));
    EXPECT_EQ(main->sldThruster->value(), 400);
    EXPECT_TRUE(main->cwThrust->value());
}

TEST_F(Actuators, TheProfilerDirectionsLockEachOtherOut) {
    main->CWButtonUp->setValue(true);
    EXPECT_FALSE(main->CWButtonDwn->isEnabled());
    main->CWButtonUp->setValue(false);
    EXPECT_TRUE(main->CWButtonDwn->isEnabled());
    main->CWButtonDwn->setValue(true);
    EXPECT_FALSE(main->CWButtonUp->isEnabled());
    main->CWButtonDwn->setValue(false);
    EXPECT_TRUE(main->CWButtonUp->isEnabled());
    EXPECT_EQ(TakeLines(),
              (QStringList{"$2AO+05000.00", "$2AO+00000.00", "$2AO-05000.00", "$2AO-00000.00"}));
}

TEST_F(Actuators, ProfilerPowerLeavesTheDirectionsAlone) {
    main->CWButtonUp->setValue(true);
    TakeLines();
    main->cwVP->setValue(true);
    main->cwVP->setValue(false);
    EXPECT_TRUE(main->CWButtonUp->value());
    EXPECT_FALSE(main->CWButtonDwn->isEnabled());
    EXPECT_EQ(TakeLines(), (QStringList{"$9CP03", "$9SP03"}));
}

class Interlock : public OnBusTest {
protected:
    void SetUp() override {
        OnBusTest::SetUp();
        Poll("*0003\r"); // both directions free
        TakeLines();
    }
    ToggleButton* up() { return main->CWButtonUp; }
    ToggleButton* down() { return main->CWButtonDwn; }
};

TEST_F(Interlock, TheUpperEndStopStopsAndLocksTheUpDrive) {
    up()->setValue(true);
    Poll("*0001\r"); // lamp 0 off
    EXPECT_EQ(TakeLines(), (QStringList{"$2AO+05000.00", "$9DI", "$2AO+00000.00"}));
    EXPECT_FALSE(up()->value());
    EXPECT_FALSE(up()->isEnabled());
    EXPECT_TRUE(down()->isEnabled());
}

TEST_F(Interlock, BothLampsOffStopAndLockBothDirections) {
    // Stopping the down drive frees the up direction by itself; the upper
    // end stop must still keep it locked.
    down()->setValue(true);
    Poll("*0000\r");
    EXPECT_EQ(TakeLines(), (QStringList{"$2AO-05000.00", "$9DI", "$2AO-00000.00"}));
    EXPECT_FALSE(up()->value());
    EXPECT_FALSE(down()->value());
    EXPECT_FALSE(up()->isEnabled());
    EXPECT_FALSE(down()->isEnabled());

    // The same when driving up.
    Poll("*0003\r");
    up()->setValue(true);
    Poll("*0000\r");
    EXPECT_FALSE(up()->isEnabled());
    EXPECT_FALSE(down()->isEnabled());
}

TEST_F(Interlock, ALampBackOnFreesItsDirectionWithoutDrivingIt) {
    up()->setValue(true);
    Poll("*0001\r");
    Poll("*0003\r");
    EXPECT_TRUE(up()->isEnabled());
    EXPECT_FALSE(up()->value());
    EXPECT_EQ(TakeLines(), (QStringList{"$2AO+05000.00", "$9DI", "$2AO+00000.00", "$9DI"}));
}

TEST_F(Interlock, TheInterlockRunsOnlyWhenALampChanges) {
    Poll("*0002\r"); // lamp 1 off: down locked
    ASSERT_FALSE(down()->isEnabled());
    // Switching up off frees down again until lamp 1 next changes; a poll
    // that repeats the same inputs does not lock it again.
    up()->setValue(true);
    up()->setValue(false);
    EXPECT_TRUE(down()->isEnabled());
    Poll("*0002\r");
    EXPECT_TRUE(down()->isEnabled());
    Poll("*0003\r");
    Poll("*0002\r");
    EXPECT_FALSE(down()->isEnabled());
}

TEST_F(Interlock, AChangeOverBetweenEndStopsFreesOneSideAndStopsTheOther) {
    // Driving down from the upper end stop, the inputs flip in one poll.
    Poll("*0001\r");
    down()->setValue(true);
    TakeLines();
    Poll("*0002\r");
    EXPECT_TRUE(up()->isEnabled());
    EXPECT_FALSE(down()->isEnabled());
    EXPECT_FALSE(down()->value());
    EXPECT_EQ(TakeLines(), (QStringList{"$9DI", "$2AO-00000.00"}));
}

} // namespace
