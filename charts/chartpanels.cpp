#include "charts/chartpanels.h"

#include "core/textnum.h"
#include "ui/mainwindow.h"
#include "ui/widgets/knob.h"
#include "ui/widgets/slide.h"
#include "ui/widgets/statusbar.h"
#include "ui/widgets/stripchart.h"
#include "ui/widgets/togglebutton.h"

#include <QLabel>
#include <cmath>

namespace corvale {

ChartPanels::ChartPanels(frmMain& window) : w_(window) {
    // The selector is truthful from the start: each chart is put in the row
    // of the mode table that its selector's start position names.
    SetChartMode(*w_.CWGraph1, w_.GraphMode->value());
    SetChartMode(*w_.CWGraph2, w_.CTDgraphMode->value());
    wire();
}

void ChartPanels::wire() {
    // Feeds: one point per tick, whatever state the source is in.
    w_.tmrPlot.setHandler([this] { appendPoint(*w_.CWGraph1, w_.state().PhValue); });
    w_.tmrCTDplot.setHandler([this] { appendPoint(*w_.CWGraph2, w_.state().CtdConductivity); });

    connect(w_.cwPlot, &ToggleButton::valueChanged, this,
            [this](bool on) { w_.tmrPlot.setEnabled(on); });
    connect(w_.cwCTDplot, &ToggleButton::valueChanged, this,
            [this](bool on) { w_.tmrCTDplot.setEnabled(on); });

    connect(w_.CWpHmin, &Knob::valueChanged, this, [this] { SetPhChartScale(); });
    connect(w_.CWpHmax, &Knob::valueChanged, this, [this] { SetPhChartScale(); });
    connect(w_.CWButton1, &ToggleButton::valueChanged, this, [this] { SetPhChartScale(); });
    connect(w_.CWKnobCTDmin, &Knob::valueChanged, this, [this] { SetCtdChartScale(); });
    connect(w_.CWKnobCTDmax, &Knob::valueChanged, this, [this] { SetCtdChartScale(); });
    connect(w_.cwCTDreset, &ToggleButton::valueChanged, this, [this] { SetCtdChartScale(); });

    connect(w_.cwbPh, &ToggleButton::valueChanged, this, &ChartPanels::onPhToggle);

    connect(w_.GraphMode, &Slide::valueChanged, this,
            [this](double v) { SetChartMode(*w_.CWGraph1, v); });
    connect(w_.CTDgraphMode, &Slide::valueChanged, this,
            [this](double v) { SetChartMode(*w_.CWGraph2, v); });

    for (StripChart* chart : {w_.CWGraph1, w_.CWGraph2}) {
        connect(
            chart, &StripChart::cursorMoved, this,
            [this, chart](int n, double x, double y, bool) { ShowCursorReadout(*chart, n, x, y); });
    }
}

void ChartPanels::appendPoint(StripChart& chart, double value) {
    chart.appendPoint(DayFraction(w_.platform().clock.now().time()), value);
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
    setScale(*w_.CWGraph1, *w_.CWpHmin, *w_.CWpHmax);
}

void ChartPanels::SetCtdChartScale() {
    setScale(*w_.CWGraph2, *w_.CWKnobCTDmin, *w_.CWKnobCTDmax);
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
    w_.StatusBar1->setPanelText(2, QStringLiteral("X:  ") + FormatDayFraction(chart.cursorX(1)));
    w_.StatusBar1->setPanelText(3, QStringLiteral("Y:  ") + FormatFourDecimals(y));
}

void ChartPanels::onPhToggle(bool on) {
    w_.state().PhReadingEnabled = on;
    if (!on) {
        w_.lblmV->setText(QString());
        w_.lblpH->setText(QString());
    }
}

void ChartPanels::SwitchPhReadingOff() {
    w_.cwbPh->setValue(false);
}

} // namespace corvale
