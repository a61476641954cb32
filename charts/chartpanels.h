#pragma once
// The two chart panels of the main window: the pH chart (CWGraph1) and the
// conductivity chart (CWGraph2). Feeds each chart from its timer, keeps the
// Y range on its two knobs, pauses and resumes the feed, switches the pH
// reading with cwbPh, sets the mouse mode from the mode selectors and writes
// the cursor readout to the status bar.

#include <QObject>

namespace corvale {

class frmMain;
class Knob;
class StripChart;

class ChartPanels : public QObject {
    Q_OBJECT
public:
    explicit ChartPanels(frmMain& window);

    // Y range of a chart from its knobs. A lower bound at or above the upper
    // one is refused: the chart keeps the range it shows.
    void SetPhChartScale();
    void SetCtdChartScale();

    // Mouse mode and cursors of one chart for a selector value 0..3
    // (0 pan, 1 zoom, 2 cursor 1, 3 cursors 1 and 2); other values do nothing.
    static void SetChartMode(StripChart& chart, double value);

    // Status-bar panels 2 and 3 for a move of cursor 1; cursor 2 is ignored.
    void ShowCursorReadout(StripChart& chart, int cursor, double x, double y);

    // Turns cwbPh off as the operator would, so the pH module is no longer
    // read and both pH labels are cleared. Used when the pH module fails.
    void SwitchPhReadingOff();

private:
    void wire();
    void appendPoint(StripChart& chart, double value);
    static void setScale(StripChart& chart, const Knob& lower, const Knob& upper);
    void onPhToggle(bool on);

    frmMain& w_;
};

} // namespace corvale
