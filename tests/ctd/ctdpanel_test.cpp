// The CTD panel: the toggle opens and closes the CTD port, and records that
// arrive on it fill the four CTD labels and readings.

#include "core/textnum.h"
#include "ctd/ctdpanel.h"
#include "ctd/salinity.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QLabel>

using namespace corvale;

namespace {

class CtdPanelTest : public WindowTest {
protected:
    QStringList labels() const {
        return {main->lblConduct->text(), main->lblTemp->text(), main->lblPress->text(),
                main->lblSalinity->text()};
    }
    void switchOn() {
        main->cwCTDflag->setValue(true);
        ASSERT_TRUE(ctd.isOpen());
    }
};

TEST_F(CtdPanelTest, ToggleOpensAndClosesTheCtdPort) {
    EXPECT_FALSE(ctd.isOpen());
    main->cwCTDflag->click();
    EXPECT_TRUE(ctd.isOpen());
    EXPECT_EQ(ctd.openCount, 1);
    main->cwCTDflag->click();
    EXPECT_FALSE(ctd.isOpen());
    EXPECT_EQ(ctd.closeCount, 1);
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_FALSE(bus.isOpen());
}

TEST_F(CtdPanelTest, AFailedOpenIsReportedAndTheToggleReturnsToOff) {
    ctd.setOpenResult(SerialPort::OpenError::PortInUse);
    bool offWhileShown = false;
    op.duringMessage = [&](const QString&) { offWhileShown = !main->cwCTDflag->value(); };

    main->cwCTDflag->click();
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text,
              QStringLiteral("Cannot open the CTD port COM5: the port is already in use"));
    EXPECT_EQ(op.messages[0].caption, QStringLiteral("Corvale2"));
    EXPECT_TRUE(offWhileShown);
    EXPECT_FALSE(main->cwCTDflag->value());
    EXPECT_FALSE(ctd.isOpen());

    // Once the port is free the toggle works again.
    ctd.setOpenResult(SerialPort::OpenError::None);
    main->cwCTDflag->click();
    EXPECT_TRUE(ctd.isOpen());
    EXPECT_EQ(op.messages.size(), 1);
}

TEST_F(CtdPanelTest, ARecordFillsTheFourReadingsAndLabels) {
    switchOn();
    ctd.deliver("52.123,18.5,10.04\n");

    const StationState& s = main->state();
    EXPECT_DOUBLE_EQ(s.CtdConductivity.value, 52.123);
    EXPECT_DOUBLE_EQ(s.CtdTemperature.value, 18.5);
    EXPECT_DOUBLE_EQ(s.CtdPressure.value, 10);
    const auto salinity = ComputeSalinity(52.123, 18.5, 10);
    ASSERT_TRUE(salinity.has_value());
    EXPECT_DOUBLE_EQ(s.CtdSalinity.value, *salinity);
    EXPECT_EQ(labels(), QStringList({QStringLiteral("52.123"), QStringLiteral("18.5"),
                                     QStringLiteral("10"), NumberText(*salinity)}));

    // The conductivity chart plots the new reading at its next tick.
    main->cwCTDplot->setValue(true);
    main->tmrCTDplot.fire();
    ASSERT_EQ(main->CWGraph2->pointCount(), 1);
    EXPECT_DOUBLE_EQ(main->CWGraph2->point(0).y(), 52.123);
}

TEST_F(CtdPanelTest, OneReceiveEventTakesEveryWaitingCharacter) {
    switchOn();
    // Two records and the start of a third arrive together; the port hands
    // out one character per read.
    ctd.deliver("40.5,10.0,1.0\n44.0,12.0,5.25\n50");
    EXPECT_EQ(ctd.charactersWaiting(), 0);
    EXPECT_EQ(labels().mid(0, 3),
              QStringList({QStringLiteral("44"), QStringLiteral("12"), QStringLiteral("5.2")}));
    ctd.deliver(".25,9.5,3\n");
    EXPECT_DOUBLE_EQ(main->state().CtdConductivity.value, 50.25);
}

TEST_F(CtdPanelTest, ARecordSplitAcrossDeliveriesIsJoined) {
    switchOn();
    ctd.deliver("  44.0,12.");
    EXPECT_EQ(labels(), QStringList(4, QStringLiteral("0")));
    ctd.deliver("0,5.25  \n");
    EXPECT_DOUBLE_EQ(main->state().CtdConductivity.value, 44);
    EXPECT_DOUBLE_EQ(main->state().CtdPressure.value, 5.2);
    EXPECT_EQ(main->lblPress->text(), QStringLiteral("5.2"));
}

TEST_F(CtdPanelTest, ARecordCutBySwitchingOffIsJoinedAfterSwitchingOn) {
    switchOn();
    ctd.deliver("52.1");
    main->cwCTDflag->setValue(false);
    EXPECT_FALSE(ctd.isOpen());
    EXPECT_EQ(labels(), QStringList(4, QStringLiteral("0")));

    switchOn();
    ctd.deliver("23,18.5,10.04\n");
    EXPECT_DOUBLE_EQ(main->state().CtdConductivity.value, 52.123);
    EXPECT_EQ(main->lblConduct->text(), QStringLiteral("52.123"));
}

TEST_F(CtdPanelTest, ALineEndedByCarriageReturnStillUpdatesPressure) {
    switchOn();
    ctd.deliver("44.0,12.0,5.3\r\n");
    EXPECT_DOUBLE_EQ(main->state().CtdPressure.value, 5.3);
    EXPECT_EQ(main->lblPress->text(), QStringLiteral("5.3"));
}

TEST_F(CtdPanelTest, MalformedRecordsLeaveTheLabelsAlone) {
    switchOn();
    ctd.deliver("52.123,18.5,10.04\n");
    const QStringList before = labels();
    ctd.deliver("44.0,12.0\n44.0,12.0,5.0,1\n\n");
    EXPECT_EQ(labels(), before);
    // A bad field keeps its reading; the rest of the record still counts.
    ctd.deliver("abc,12.0,5.0\n");
    EXPECT_DOUBLE_EQ(main->state().CtdConductivity.value, 52.123);
    EXPECT_EQ(main->lblTemp->text(), QStringLiteral("12"));
    EXPECT_EQ(main->lblPress->text(), QStringLiteral("5"));
    EXPECT_EQ(main->lblSalinity->text(), NumberText(*ComputeSalinity(52.123, 12, 5)));
}

} // namespace

TEST_F(CtdPanelTest, AVanishedPortIsReportedAndTheToggleReturnsToOff) {
    switchOn();
    ctd.deliver("52.123,18.5,10.04\n");
    ctd.vanish();
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text,
              QStringLiteral("The CTD port COM5 was lost. CTD readings keep their last values."));
    EXPECT_FALSE(main->cwCTDflag->value());
    EXPECT_EQ(labels()[0], QStringLiteral("52.123"));
    // Switching on again opens the port afresh.
    main->cwCTDflag->setValue(true);
    EXPECT_TRUE(ctd.isOpen());
}
