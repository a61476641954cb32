#include "charts/chartpanels.h"

#include "core/clock.h"
#include "core/state.h"
#include "core/stationtimer.h"
#include "core/textnum.h"
#include "widgets/knob.h"
#include "widgets/slide.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QtNumeric>
#include <cmath>

namespace corvale {

ChartPanels::ChartPanels(const ChartPanelsView& view, StationState& state, Clock& clock,
                         StatusPanel cursorX, StatusPanel cursorY)
    : v_(view), state_(state), clock_(clock), cursorX_(cursorX), cursorY_(cursorY) {
    // The selector is truthful from the start: each chart is put in the row
    // of the mode table that its selector's start position names.
    SetChartMode(*v_.CWGraph1, v_.GraphMode->value());
    SetChartMode(*v_.CWGraph2, v_.CTDgraphMode->value());
    wire();
}

void ChartPanels::wire() {
    // Feeds: one point per tick, whatever state the source is in.
    // A NaN is the chart's gap.
    v_.tmrPlot->setHandler(
        [this] { appendPoint(*v_.CWGraph1, phDown_ ? qQNaN() : state_.PhValue.value); });
    v_.tmrCTDplot->setHandler([this] {
        appendPoint(*v_.CWGraph2, ctdDown_ ? qQNaN() : state_.CtdConductivity.value);
    });

    connect(v_.cwPlot, &ToggleButton::valueChanged, this,
            [this](bool on) { v_.tmrPlot->setEnabled(on); });
    connect(v_.cwCTDplot, &ToggleButton::valueChanged, this,
            [this](bool on) { v_.tmrCTDplot->setEnabled(on); });

    connect(v_.CWpHmin, &Knob::valueChanged, this, [this] { SetPhChartScale(); });
    connect(v_.CWpHmax, &Knob::valueChanged, this, [this] { SetPhChartScale(); });
    connect(v_.CWButton1, &ToggleButton::valueChanged, this, [this] { SetPhChartScale(); });
    connect(v_.CWKnobCTDmin, &Knob::valueChanged, this, [this] { SetCtdChartScale(); });
    connect(v_.CWKnobCTDmax, &Knob::valueChanged, this, [this] { SetCtdChartScale(); });
    connect(v_.cwCTDreset, &ToggleButton::valueChanged, this, [this] { SetCtdChartScale(); });

    connect(v_.cwbPh, &ToggleButton::valueChanged, this, &ChartPanels::phReadingSwitched);

    connect(v_.GraphMode, &Slide::valueChanged, this,
            [this](double v) { SetChartMode(*v_.CWGraph1, v); });
    connect(v_.CTDgraphMode, &Slide::valueChanged, this,
            [this](double v) { SetChartMode(*v_.CWGraph2, v); });

    for (StripChart* chart : {v_.CWGraph1, v_.CWGraph2}) {
        connect(
            chart, &StripChart::cursorMoved, this,
            [this, chart](int n, double x, double y, bool) { ShowCursorReadout(*chart, n, x, y); });
    }
}

void ChartPanels::appendPoint(StripChart& chart, double value) {
    chart.appendPoint(DayFraction(clock_.now().time()), value);
}

void ChartPanels::setScale(StripChart& chart, const Knob& lower, const Knob& upper) {
    const double lo = lower.value();
    const double hi = upper.value();
    // An empty or upside-down range would leave the chart without a scale;
    // keep the last good one until the knobs make sense again.
    if (!(lo < hi))
        return;
    chart.setYRange(lo, hi);
}

void ChartPanels::SetPhChartScale() {
    setScale(*v_.CWGraph1, *v_.CWpHmin, *v_.CWpHmax);
}

void ChartPanels::SetCtdChartScale() {
    setScale(*v_.CWGraph2, *v_.CWKnobCTDmin, *v_.CWKnobCTDmax);
}

void ChartPanels::SetChartMode(StripChart& chart, double value) {
    if (value != std::floor(value))
        return;
    const double xCentre = (chart.xMin() + chart.xMax()) / 2;
    const double yCentre = (chart.yMin() + chart.yMax()) / 2;
    switch (static_cast<int>(value)) {
    case 0:
        chart.setInteractionMode(StripChart::Pan);
        chart.setCursorVisible(1, false);
        chart.setCursorVisible(2, false);
        break;
    case 1:
        chart.setCursorVisible(1, false);
        chart.setCursorVisible(2, false);
        chart.setInteractionMode(StripChart::Zoom);
        break;
    case 2:
        chart.setInteractionMode(StripChart::Cursors);
        chart.setCursorVisible(1, true);
        chart.setCursorVisible(2, false);
        chart.setCursorPosition(1, xCentre, yCentre);
        break;
    case 3:
        chart.setInteractionMode(StripChart::Cursors);
        chart.setCursorVisible(1, true);
        chart.setCursorVisible(2, true);
        chart.setCursorPosition(2, xCentre, yCentre);
        break;
    default:
        break;
    }
}

void ChartPanels::ShowCursorReadout(StripChart& chart, int cursor, double, double y) {
    if (cursor != 1)
        return;
    cursorX_.setText(QStringLiteral("X:  ") + FormatDayFraction(chart.cursorX(1)));
    cursorY_.setText(QStringLiteral("Y:  ") + FormatFourDecimals(y));
}

void ChartPanels::SwitchPhReadingOff() {
    v_.cwbPh->setValue(false);
}

} // namespace corvale
