// The pH and conductivity chart panels: feed, scale, pause, the pH switch,
// modes and the cursor readout, driven through the main window's widgets.

#include "charts/chartpanels.h"
#include "core/textnum.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/knob.h"
#include "widgets/slide.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QLabel>

using namespace corvale;

namespace {

double At(int h, int m, int s) {
    return DayFraction(QTime(h, m, s));
}

class ChartPanelsTest : public WindowTest {
protected:
    ChartPanels& panels() { return main->charts(); }
    static void ExpectYRange(const StripChart& chart, double lo, double hi) {
        EXPECT_DOUBLE_EQ(chart.yMin(), lo);
        EXPECT_DOUBLE_EQ(chart.yMax(), hi);
    }
};

TEST_F(ChartPanelsTest, EachFeedTickAppendsTheTimeOfDayAndTheCurrentReading) {
    auto& w = *main;
    EXPECT_FALSE(w.tmrPlot.isEnabled());
    EXPECT_FALSE(w.tmrCTDplot.isEnabled());

    w.cwPlot->setValue(true);
    w.cwCTDplot->setValue(true);
    EXPECT_TRUE(w.tmrPlot.isTicking());
    EXPECT_TRUE(w.tmrCTDplot.isTicking());
    EXPECT_EQ(w.tmrPlot.interval(), 1000);
    EXPECT_EQ(w.tmrCTDplot.interval(), 500);

    clock.setNow(QDateTime(QDate(2026, 12, 8), QTime(14, 3, 7)));
    // No reading yet: the pH chart plots 0.
    w.tmrPlot.fire();
    w.state().PhValue.value = 7.25;
    w.state().CtdConductivity.value = 52.123;
    for (int i = 0; i < 2; ++i) {
        w.tmrCTDplot.fire();
        clock.advance(500);
    }
    w.tmrPlot.fire();

    ASSERT_EQ(w.CWGraph1->pointCount(), 2);
    EXPECT_NEAR(w.CWGraph1->point(0).x(), At(14, 3, 7), 1e-12);
    EXPECT_DOUBLE_EQ(w.CWGraph1->point(0).y(), 0);
    EXPECT_NEAR(w.CWGraph1->point(1).x(), At(14, 3, 8), 1e-12);
    EXPECT_DOUBLE_EQ(w.CWGraph1->point(1).y(), 7.25);

    ASSERT_EQ(w.CWGraph2->pointCount(), 2);
    EXPECT_NEAR(w.CWGraph2->point(0).x(), At(14, 3, 7), 1e-12);
    EXPECT_NEAR(w.CWGraph2->point(1).x(), At(14, 3, 7) + 0.5 / 86400, 1e-12);
    EXPECT_DOUBLE_EQ(w.CWGraph2->point(1).y(), 52.123);
}

TEST_F(ChartPanelsTest, PausingStopsTheFeedAndKeepsThePointsAlreadyPlotted) {
    auto& w = *main;
    w.cwCTDplot->setValue(true);
    w.state().CtdConductivity.value = 40;
    w.tmrCTDplot.fire();
    w.tmrCTDplot.fire();

    w.cwCTDplot->setValue(false);
    EXPECT_FALSE(w.tmrCTDplot.isTicking());
    EXPECT_EQ(w.CWGraph2->pointCount(), 2);

    clock.advance(60000);
    w.state().CtdConductivity.value = 41;
    w.cwCTDplot->setValue(true);
    w.tmrCTDplot.fire();
    ASSERT_EQ(w.CWGraph2->pointCount(), 3);
    EXPECT_DOUBLE_EQ(w.CWGraph2->point(0).y(), 40);
    EXPECT_DOUBLE_EQ(w.CWGraph2->point(2).y(), 41);
    // The paused stretch is a gap in time, not missing old points.
    EXPECT_NEAR(w.CWGraph2->point(2).x() - w.CWGraph2->point(1).x(), 60.0 / 86400, 1e-9);
    // The pH chart was never started.
    EXPECT_EQ(w.CWGraph1->pointCount(), 0);
}

TEST_F(ChartPanelsTest, KnobsSetTheYRangeAtOnceAndResetScalePutsItBackAfterAZoom) {
    auto& w = *main;
    // The start step's knob values give the start ranges.
    ExpectYRange(*w.CWGraph1, 0, 14);
    ExpectYRange(*w.CWGraph2, 44, 56);
    w.cwCTDreset->click();
    ExpectYRange(*w.CWGraph2, 44, 56);

    w.CWpHmin->setValue(4);
    w.CWpHmax->setValue(10);
    ExpectYRange(*w.CWGraph1, 4, 10);

    // The operator zooms into the Y axis; either value change of the
    // button applies the knobs again.
    w.CWGraph1->setYRange(6.5, 7.5);
    w.CWButton1->click();
    ExpectYRange(*w.CWGraph1, 4, 10);
    w.CWGraph1->setYRange(6.5, 7.5);
    w.CWButton1->click();
    ExpectYRange(*w.CWGraph1, 4, 10);

    const double xLo = w.CWGraph2->xMin();
    const double xHi = w.CWGraph2->xMax();
    w.CWKnobCTDmin->setValue(30);
    w.CWKnobCTDmax->setValue(50);
    ExpectYRange(*w.CWGraph2, 30, 50);
    w.CWGraph2->setYRange(45, 46);
    w.cwCTDreset->click();
    ExpectYRange(*w.CWGraph2, 30, 50);
    // The X axis is left alone, and the pH chart is not touched.
    EXPECT_DOUBLE_EQ(w.CWGraph2->xMin(), xLo);
    EXPECT_DOUBLE_EQ(w.CWGraph2->xMax(), xHi);
    ExpectYRange(*w.CWGraph1, 4, 10);
}

TEST_F(ChartPanelsTest, ALowerKnobAtOrAboveTheUpperOneKeepsTheLastGoodRange) {
    auto& w = *main;
    w.CWpHmin->setValue(4);
    w.CWpHmax->setValue(10);

    w.CWpHmin->setValue(12);
    ExpectYRange(*w.CWGraph1, 4, 10);
    w.CWpHmin->setValue(10);
    ExpectYRange(*w.CWGraph1, 4, 10);
    w.CWButton1->click();
    ExpectYRange(*w.CWGraph1, 4, 10);

    // Once the knobs make sense again the chart follows them.
    w.CWpHmax->setValue(14);
    ExpectYRange(*w.CWGraph1, 10, 14);

    w.CWKnobCTDmin->setValue(40);
    w.CWKnobCTDmax->setValue(45);
    w.CWKnobCTDmax->setValue(35);
    ExpectYRange(*w.CWGraph2, 40, 45);
}

TEST_F(ChartPanelsTest, PhSwitchSetsTheReadingFlagAndOffClearsBothPhLabels) {
    auto& w = *main;
    EXPECT_FALSE(w.state().PhReadingEnabled);
    w.cwbPh->setValue(true);
    EXPECT_TRUE(w.state().PhReadingEnabled);

    w.lblmV->setText(QStringLiteral("123.45"));
    w.lblpH->setText(QStringLiteral("7.12"));
    w.state().PhValue.value = 7.12;
    w.cwPlot->setValue(true);

    w.cwbPh->setValue(false);
    EXPECT_FALSE(w.state().PhReadingEnabled);
    EXPECT_EQ(w.lblmV->text(), QString());
    EXPECT_EQ(w.lblpH->text(), QString());

    // The chart keeps plotting the last pH value.
    w.tmrPlot.fire();
    w.tmrPlot.fire();
    ASSERT_EQ(w.CWGraph1->pointCount(), 2);
    EXPECT_DOUBLE_EQ(w.CWGraph1->point(1).y(), 7.12);
}

TEST_F(ChartPanelsTest, SwitchingPhReadingOffGoesThroughTheToggle) {
    auto& w = *main;
    w.cwbPh->setValue(true);
    w.lblmV->setText(QStringLiteral("1"));
    w.lblpH->setText(QStringLiteral("2"));

    panels().SwitchPhReadingOff();
    EXPECT_FALSE(w.cwbPh->value());
    EXPECT_FALSE(w.state().PhReadingEnabled);
    EXPECT_EQ(w.lblmV->text(), QString());
    EXPECT_EQ(w.lblpH->text(), QString());
}

TEST_F(ChartPanelsTest, SelectorPositionsMatchTheirLabelsAndTheStartStateAgrees) {
    auto& w = *main;
    for (Slide* selector : {w.GraphMode, w.CTDgraphMode}) {
        EXPECT_EQ(selector->positionLabels(),
                  QStringList(
                      {QStringLiteral("Zoom"), QStringLiteral("Pan"), QStringLiteral("Cursor ")}));
    }
    // At start each selector shows "Zoom" and its chart zooms, cursors hidden.
    for (auto [selector, chart] :
         {std::pair{w.GraphMode, w.CWGraph1}, std::pair{w.CTDgraphMode, w.CWGraph2}}) {
        EXPECT_DOUBLE_EQ(selector->value(), 1);
        EXPECT_EQ(chart->interactionMode(), StripChart::Zoom);
        EXPECT_FALSE(chart->cursorVisible(1));
        EXPECT_FALSE(chart->cursorVisible(2));
    }

    w.GraphMode->selectPosition(QStringLiteral("Pan"));
    EXPECT_DOUBLE_EQ(w.GraphMode->value(), 0);
    EXPECT_EQ(w.CWGraph1->interactionMode(), StripChart::Pan);
    w.GraphMode->selectPosition(QStringLiteral("Cursor "));
    EXPECT_DOUBLE_EQ(w.GraphMode->value(), 2);
    EXPECT_EQ(w.CWGraph1->interactionMode(), StripChart::Cursors);
    EXPECT_TRUE(w.CWGraph1->cursorVisible(1));
    w.GraphMode->selectPosition(QStringLiteral("Zoom"));
    EXPECT_EQ(w.CWGraph1->interactionMode(), StripChart::Zoom);
    EXPECT_FALSE(w.CWGraph1->cursorVisible(1));
}

TEST_F(ChartPanelsTest, CursorModeShowsOnlyCursorOneCentredOnTheVisibleRanges) {
    auto& w = *main;
    w.CWGraph1->setYRange(3, 5); // a zoom in force
    const double xCentre = (w.CWGraph1->xMin() + w.CWGraph1->xMax()) / 2;

    w.GraphMode->setValue(2);
    EXPECT_EQ(w.CWGraph1->interactionMode(), StripChart::Cursors);
    EXPECT_TRUE(w.CWGraph1->cursorVisible(1));
    EXPECT_FALSE(w.CWGraph1->cursorVisible(2));
    EXPECT_NEAR(w.CWGraph1->cursorX(1), xCentre, 1e-12);
    EXPECT_DOUBLE_EQ(w.CWGraph1->cursorY(1), 4);

    // The other chart is untouched.
    EXPECT_EQ(w.CWGraph2->interactionMode(), StripChart::Zoom);
    EXPECT_FALSE(w.CWGraph2->cursorVisible(1));
    EXPECT_FALSE(w.CWGraph2->cursorVisible(2));
}

TEST_F(ChartPanelsTest, ModesThreeZeroAndOneMoveOnlyWhatTheyName) {
    StripChart& chart = *main->CWGraph2;
    main->CTDgraphMode->setValue(2);
    chart.dragCursorTo(1, At(10, 0, 0), 50);

    // Value 3: cursor 2 appears at the centre, cursor 1 stays.
    ChartPanels::SetChartMode(chart, 3);
    const double xCentre = (chart.xMin() + chart.xMax()) / 2;
    const double yCentre = (chart.yMin() + chart.yMax()) / 2;
    EXPECT_EQ(chart.interactionMode(), StripChart::Cursors);
    EXPECT_TRUE(chart.cursorVisible(1));
    EXPECT_TRUE(chart.cursorVisible(2));
    EXPECT_NEAR(chart.cursorX(2), xCentre, 1e-12);
    EXPECT_DOUBLE_EQ(chart.cursorY(2), yCentre);
    EXPECT_NEAR(chart.cursorX(1), At(10, 0, 0), 1e-12);
    EXPECT_DOUBLE_EQ(chart.cursorY(1), 50);

    // Values 0 and 1 hide both cursors without moving them.
    ChartPanels::SetChartMode(chart, 0);
    EXPECT_EQ(chart.interactionMode(), StripChart::Pan);
    EXPECT_FALSE(chart.cursorVisible(1));
    EXPECT_FALSE(chart.cursorVisible(2));
    EXPECT_NEAR(chart.cursorX(1), At(10, 0, 0), 1e-12);
    ChartPanels::SetChartMode(chart, 1);
    EXPECT_EQ(chart.interactionMode(), StripChart::Zoom);
    EXPECT_FALSE(chart.cursorVisible(1));
    EXPECT_DOUBLE_EQ(chart.cursorY(1), 50);

    // Anything else changes nothing.
    ChartPanels::SetChartMode(chart, 4);
    ChartPanels::SetChartMode(chart, -1);
    ChartPanels::SetChartMode(chart, 2.5);
    EXPECT_EQ(chart.interactionMode(), StripChart::Zoom);
    EXPECT_FALSE(chart.cursorVisible(1));
    EXPECT_EQ(main->CWGraph1->interactionMode(), StripChart::Zoom);
}

TEST_F(ChartPanelsTest, CursorOneMovesWriteTheReadoutAndCursorTwoMovesDoNot) {
    auto& w = *main;
    StationStatusBar& bar = *w.StatusBar1;
    w.CTDgraphMode->setValue(3);
    w.CWGraph2->dragCursorTo(1, At(14, 3, 7), 52.12346);
    EXPECT_EQ(bar.panelText(2), QStringLiteral("X:  14:03:07"));
    EXPECT_EQ(bar.panelText(3), QStringLiteral("Y:  52.1235"));

    w.CWGraph2->dragCursorTo(2, At(9, 0, 0), 30);
    EXPECT_EQ(bar.panelText(2), QStringLiteral("X:  14:03:07"));
    EXPECT_EQ(bar.panelText(3), QStringLiteral("Y:  52.1235"));

    // A mode change leaves the readout; the pH chart's cursor 1 overwrites it.
    w.CTDgraphMode->setValue(1);
    EXPECT_EQ(bar.panelText(2), QStringLiteral("X:  14:03:07"));
    w.GraphMode->setValue(2);
    w.CWGraph1->dragCursorTo(1, 0.5, 7);
    EXPECT_EQ(bar.panelText(2), QStringLiteral("X:  12:00:00"));
    EXPECT_EQ(bar.panelText(3), QStringLiteral("Y:  7."));
    // Panels 1 and 4 belong to others.
    EXPECT_FALSE(bar.panelText(1).startsWith(QStringLiteral("X:")));
    EXPECT_FALSE(bar.panelText(4).startsWith(QStringLiteral("Y:")));
}

} // namespace
