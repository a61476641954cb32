#pragma once
// The two chart panels of the main window: the pH chart (CWGraph1) and the
// conductivity chart (CWGraph2). Feeds each chart from its timer, keeps the
// Y range on its two knobs, pauses and resumes the feed, shows the pH switch
// cwbPh (the RPM cycle acts on it), sets the mouse mode from the mode
// selectors and writes the cursor readout to status-bar panels 2 and 3.

#include "widgets/statusbar.h"

#include <QObject>

namespace corvale {

class Clock;
class Knob;
class Slide;
class StationTimer;
class StripChart;
class ToggleButton;
struct StationState;

struct ChartPanelsView {
    // pH chart panel
    StripChart* CWGraph1;
    Knob* CWpHmin;
    Knob* CWpHmax;
    Slide* GraphMode;
    ToggleButton* CWButton1;
    ToggleButton* cwPlot;
    ToggleButton* cwbPh;
    // conductivity chart panel
    StripChart* CWGraph2;
    Knob* CWKnobCTDmin;
    Knob* CWKnobCTDmax;
    Slide* CTDgraphMode;
    ToggleButton* cwCTDreset;
    ToggleButton* cwCTDplot;
    StationTimer* tmrPlot;
    StationTimer* tmrCTDplot;
};

class ChartPanels : public QObject {
    Q_OBJECT
public:
    ChartPanels(const ChartPanelsView& view, StationState& state, Clock& clock, StatusPanel cursorX,
                StatusPanel cursorY);

    // Y range of a chart from its knobs. A lower bound at or above the upper
    // one is refused: the chart keeps the range it shows.
    void SetPhChartScale();
    void SetCtdChartScale();

    // Mouse mode and cursors of one chart for a selector value 0..3
    // (0 pan, 1 zoom, 2 cursor 1, 3 cursors 1 and 2); other values do nothing.
    static void SetChartMode(StripChart& chart, double value);

    // Status-bar panels 2 and 3 for a move of cursor 1; cursor 2 is ignored.
    void ShowCursorReadout(StripChart& chart, int cursor, double x, double y);

    // Shows the pH switch (cwbPh) off, as the operator would turn it, when
    // the RPM cycle gave up on the pH module.
    void SwitchPhReadingOff();

    // While the line a chart plots is down (reconnect on), its ticks append
    // a gap instead of the last value, so the line breaks across the outage
    // and is never drawn through it.
    void setPhLineDown(bool down) { phDown_ = down; }
    void setCtdLineDown(bool down) { ctdDown_ = down; }

signals:
    // The operator, or SwitchPhReadingOff, turned the pH switch.
    void phReadingSwitched(bool on);

private:
    void wire();
    void appendPoint(StripChart& chart, double value);
    static void setScale(StripChart& chart, const Knob& lower, const Knob& upper);

    ChartPanelsView v_;
    StationState& state_;
    Clock& clock_;
    StatusPanel cursorX_;
    StatusPanel cursorY_;
    bool phDown_ = false;
    bool ctdDown_ = false;
};

} // namespace corvale
