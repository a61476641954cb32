// Stale marking and the link health view on the real main window: values
// and texts stay as they were, while read-outs, lamps and charts show that
// their source is not live, and the health view counts what the fake port
// did.

#include "feed/shipfeed.h"
#include "health/frmhealth.h"
#include "health/linkhealth.h"
#include "health/stalemarks.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/indicatorlamp.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QAction>
#include <QLabel>
#include <QTableWidget>

using namespace corvale;

namespace {

class StaleMarksTest : public StationTest {
protected:
    QList<QLabel*> busReadouts() const {
        return {main->Label5,     main->lblmV,     main->lblpH,      main->lblThrustRPM,
                main->lblWaveRPM, main->lblMtrCur, main->lblWaveCur, main->lblVPcur};
    }
    QList<QLabel*> ctdReadouts() const {
        return {main->lblConduct, main->lblTemp, main->lblPress, main->lblSalinity};
    }
    QStringList texts(const QList<QLabel*>& labels) const {
        QStringList out;
        for (QLabel* l : labels)
            out << l->text();
        return out;
    }
    // One poll and one RPM cycle with pH reading on.
    void cycle() {
        ASSERT_TRUE(main->Timer1.fire());
        ASSERT_TRUE(main->tmrRPM.fire());
        ASSERT_TRUE(main->bus().runUntilIdle());
    }
    QString panel5() const { return main->StatusBar1->panelText(5); }
    void record(const char* line) { ctd.deliver(QByteArray(line) + '\n'); }
};

TEST_F(StaleMarksTest, BusClosedMarksEveryBusReadingStaleAndKeepsItsValue) {
    makeOnBus();
    main->cwbPh->setValue(true);
    cycle();
    main->tmrPlot.fire();
    for (QLabel* l : busReadouts())
        EXPECT_FALSE(StaleMarks::ShownStale(l)) << l->objectName().toStdString();
    const QColor liveColour = main->lblThrustRPM->palette().color(QPalette::WindowText);
    EXPECT_FALSE(main->lblStatus[0]->stale());
    EXPECT_FALSE(main->CWGraph1->pointStale(0));
    EXPECT_EQ(main->lblThrustRPM->toolTip(), QStringLiteral("Last read 14:07:09, 0 s ago"));
    EXPECT_EQ(panel5(), QString::fromUtf8("Bus ok \u00b7 CTD no data"));

    const QStringList before = texts(busReadouts());
    const double ph = main->state().PhValue.value;
    const bool lamp0 = main->lblStatus[0]->value();
    clock.advance(12000);
    Poll(""); // the poll's module is silent: the bus closes
    ASSERT_EQ(op.messages.size(), 1);
    main->tmrPlot.fire();

    EXPECT_EQ(texts(busReadouts()), before);
    EXPECT_EQ(main->lblStatus[0]->value(), lamp0);
    for (QLabel* l : busReadouts())
        EXPECT_TRUE(StaleMarks::ShownStale(l)) << l->objectName().toStdString();
    EXPECT_NE(main->lblThrustRPM->palette().color(QPalette::WindowText), liveColour);
    EXPECT_TRUE(main->lblStatus[0]->stale());
    EXPECT_TRUE(main->lblStatus[1]->stale());
    EXPECT_EQ(main->lblThrustRPM->toolTip(), QStringLiteral("Last read 14:07:09, 12 s ago"));
    ASSERT_EQ(main->CWGraph1->pointCount(), 2);
    EXPECT_EQ(main->CWGraph1->point(1).y(), ph); // the same value, drawn as stale
    EXPECT_FALSE(main->CWGraph1->pointStale(0));
    EXPECT_TRUE(main->CWGraph1->pointStale(1));
    EXPECT_TRUE(panel5().startsWith(QStringLiteral("Bus closed")));

    // Opened again from the port dialog and polled: live again, in its
    // own colour.
    main->bus().openPort(BusSettings{4, QStringLiteral("19200,n,8,1")});
    ASSERT_TRUE(main->bus().runUntilIdle());
    Healthy();
    cycle();
    for (QLabel* l : busReadouts())
        EXPECT_FALSE(StaleMarks::ShownStale(l)) << l->objectName().toStdString();
    EXPECT_EQ(main->lblThrustRPM->palette().color(QPalette::WindowText), liveColour);
    EXPECT_FALSE(main->lblStatus[0]->stale());
}

TEST_F(StaleMarksTest, ASilentModuleMarksOnlyItsOwnReadings) {
    makeOnBus();
    main->cwbPh->setValue(true);
    cycle();
    Silent("$5RD");
    cycle();
    EXPECT_TRUE(StaleMarks::ShownStale(main->lblMtrCur));
    for (QLabel* l : {main->lblWaveCur, main->lblVPcur, main->lblThrustRPM, main->lblpH})
        EXPECT_FALSE(StaleMarks::ShownStale(l)) << l->objectName().toStdString();
    EXPECT_FALSE(main->lblStatus[0]->stale());
    EXPECT_EQ(panel5(), QString::fromUtf8("Bus: 1 timeout \u00b7 CTD no data"));

    // The pH module silent: pH reading goes off, and the pH chart's points
    // from then on are stale.
    main->tmrPlot.fire();
    Silent("$ARD");
    cycle();
    EXPECT_FALSE(main->state().PhReadingEnabled);
    main->tmrPlot.fire();
    EXPECT_FALSE(main->CWGraph1->pointStale(0));
    EXPECT_TRUE(main->CWGraph1->pointStale(1));

    Healthy();
    cycle();
    EXPECT_FALSE(StaleMarks::ShownStale(main->lblMtrCur));
}

TEST_F(StaleMarksTest, CtdReadingsGoStaleWhenRecordsStopAndLiveWhenTheyReturn) {
    make();
    main->cwCTDflag->setValue(true);
    for (QLabel* l : ctdReadouts())
        EXPECT_TRUE(StaleMarks::ShownStale(l)); // nothing read yet
    for (int i = 0; i < 3; ++i) {
        record("45.123,12.5,10.02");
        main->tmrCTDplot.fire();
        clock.advance(1000);
    }
    for (QLabel* l : ctdReadouts())
        EXPECT_FALSE(StaleMarks::ShownStale(l)) << l->objectName().toStdString();
    EXPECT_EQ(panel5(), QString::fromUtf8("Bus not open \u00b7 CTD 1/s"));

    // Three intervals of a second and a bit without a record: stale.
    const QStringList before = texts(ctdReadouts());
    clock.advance(2100);
    main->staleMarks().refresh();
    for (QLabel* l : ctdReadouts())
        EXPECT_TRUE(StaleMarks::ShownStale(l)) << l->objectName().toStdString();
    EXPECT_EQ(texts(ctdReadouts()), before);
    EXPECT_EQ(main->lblConduct->toolTip(), QStringLiteral("Last read 14:07:11, 3 s ago"));
    EXPECT_EQ(panel5(), QString::fromUtf8("Bus not open \u00b7 CTD stale 3 s"));
    main->tmrCTDplot.fire();
    ASSERT_EQ(main->CWGraph2->pointCount(), 4);
    EXPECT_FALSE(main->CWGraph2->pointStale(2));
    EXPECT_TRUE(main->CWGraph2->pointStale(3));
    EXPECT_EQ(main->CWGraph2->point(3).y(), main->CWGraph2->point(2).y());

    // The line is lost: still stale; a record on a reopened line: live.
    ctd.vanish();
    EXPECT_TRUE(StaleMarks::ShownStale(main->lblConduct));
    main->cwCTDflag->setValue(true);
    record("46,12.5,10.02");
    EXPECT_FALSE(StaleMarks::ShownStale(main->lblConduct));
}

TEST_F(StaleMarksTest, HealthWindowCountsWhatThePortDidAndStartsAfreshWithTheSession) {
    make();
    bus.setDeviceName(QStringLiteral("/dev/ttyUSB0"));
    main->bus().openPort(BusSettings{4, QStringLiteral("19200,n,8,1")});
    ASSERT_TRUE(main->bus().runUntilIdle());
    Healthy();
    Silent("$6RD");
    bus.answer("$7RD", "?xy\r");
    for (int i = 0; i < 2; ++i)
        cycle(); // 2 x (poll + 1, 4, 5, 6, 7)
    main->cwCTDflag->setValue(true);
    record("45.1,12.5,10.0");
    record("4#.1,12.5,10.0");
    ctd.deliver(QByteArray(5000, 'x') + '\n');

    main->mnuHealth->trigger();
    auto* w = find<frmHealth>("frmHealth");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Link Health"));
    main->mnuHealth->trigger();
    EXPECT_EQ(main->findChildren<frmHealth*>().size(), 1);

    const auto text = [&](const char* name) { return find<QLabel>(name)->text(); };
    EXPECT_EQ(text("healthBusState"), QStringLiteral("Running"));
    EXPECT_EQ(text("healthBusDevice"), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(text("healthSent"), QStringLiteral("12"));
    EXPECT_EQ(text("healthValid"), QStringLiteral("8"));
    EXPECT_EQ(text("healthTimeouts"), QStringLiteral("2"));
    EXPECT_EQ(text("healthInvalid"), QStringLiteral("2"));
    auto* table = find<QTableWidget>("healthModules");
    ASSERT_EQ(table->rowCount(), 6); // 1 4 5 6 7 9
    const auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << table->item(r, c)->text();
        return cells.join(QLatin1Char(' '));
    };
    EXPECT_EQ(row(3), QStringLiteral("6 2 0 2 0"));
    EXPECT_EQ(row(4), QStringLiteral("7 2 0 0 2"));
    EXPECT_EQ(row(5), QStringLiteral("9 2 2 0 0"));
    EXPECT_EQ(table->item(3, 6)->text(), QStringLiteral("none"));
    EXPECT_EQ(table->item(5, 6)->text(), QStringLiteral("Last read 14:07:09, 0 s ago"));
    EXPECT_EQ(text("healthCtdRecords"), QStringLiteral("1"));
    EXPECT_EQ(text("healthCtdMalformed"), QStringLiteral("1"));
    EXPECT_EQ(text("healthCtdOverlong"), QStringLiteral("1"));
    EXPECT_EQ(text("healthFeed"), main->feed().statusText());
    EXPECT_EQ(panel5(), QString::fromUtf8("Bus: 2 timeouts, 2 invalid \u00b7 CTD 0/s"));
    EXPECT_EQ(main->StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBar1_panel5"))->text(),
              panel5());

    // No message box for any of it beyond the station's own.
    EXPECT_TRUE(op.messages.isEmpty());

    // Opened again from the port dialog: the bus counters start afresh.
    main->bus().openPort(BusSettings{4, QStringLiteral("19200,n,8,1")});
    ASSERT_TRUE(main->bus().runUntilIdle());
    EXPECT_EQ(text("healthSent"), QStringLiteral("0"));
    EXPECT_EQ(text("healthTimeouts"), QStringLiteral("0"));
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(text("healthCtdRecords"), QStringLiteral("1"));
}

} // namespace

TEST_F(StaleMarksTest, TheInputBitsBesideTheToolbarAreDrawnGreyWhenStale) {
    makeOnBus();
    main->show();
    cycle();
    // The darkest pixel of the read-out as painted.
    const auto darkest = [this] {
        const QImage image = main->Label5->grab().toImage();
        int least = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                least = std::min(least, qGray(image.pixel(x, y)));
        return least;
    };
    ASSERT_FALSE(main->Label5->text().isEmpty());
    const int live = darkest();
    Poll(""); // the bus closes
    EXPECT_TRUE(StaleMarks::ShownStale(main->Label5));
    EXPECT_GT(darkest(), live + 40) << "painted grey, as the other read-outs";
}

TEST_F(StaleMarksTest, PanelsFourAndFiveAgreeFromTheMomentThePortIsLost) {
    makeOnBus();
    cycle();
    bus.vanish(); // before any poll has met the closed port and its boxes
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(main->StatusBar1->panelText(4), QStringLiteral("Comm port closed"));
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4), red());
    EXPECT_TRUE(panel5().startsWith(QStringLiteral("Bus closed"))) << panel5().toStdString();
}
