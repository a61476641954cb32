#pragma once
// A strip chart on QCustomPlot: one plot of (time of day, value) points that
// scroll in from the right, an X axis labelled hh:mm:ss, one Y axis, zoom /
// pan / cursor modes and two cursors.
//
// X values are times of day as fractions of a day. Points are kept in time
// order across midnight: a time of day earlier than the last one appended
// starts the next day, and the chart carries that day count on its X axis.
// So the axis positions (xMin/xMax, cursor X) are "chart X" values: day count
// plus day fraction, equal to the plain day fraction until the first
// midnight; the hh:mm:ss text of either ignores whole days. The chart keeps
// at most maxPoints() points, dropping the oldest.
//
// Scrolling: after each append the newest point sits at the right edge and
// the visible width stays as it is (timeSpan() at start). When the operator
// pans or zooms the time axis away from the newest point the chart stops
// following, so the view stays put; bringing the right edge back to the
// newest point, setTimeSpan() or setFollowing(true) resumes it.
//
// Stale stretches: a point appended while the chart's stale test says its
// source is not live is kept like any other (same value, same place) and is
// also drawn over with a grey dashed line, so the stretch shows as not live.
//
// Marks: labelled vertical lines at chosen times (event marks). They stay at
// their time as the chart scrolls and zooms, go with the points older than
// the oldest point kept, and clear() removes them with the points.

#include <QWidget>
#include <functional>

class QCustomPlot;

namespace corvale {

// A mark as the chart holds it: X is chart X (see above).
struct ChartMark {
    double x = 0;
    QString label;
};

class StripChart : public QWidget {
    Q_OBJECT
public:
    // Interaction mode codes of the chart.
    enum Mode { Cursors = 2, Zoom = 3, Pan = 6 };

    StripChart(const QString& name, const QString& xCaption, const QString& yCaption,
               QWidget* parent = nullptr);
    ~StripChart() override;

    // Appends a point to plot 1 and schedules one repaint (several appends
    // before the event loop runs, or within one 16 ms frame, repaint once;
    // a chart with no change does not repaint). A time that is not a finite
    // number, or an infinite Y, is skipped; a NaN Y leaves a gap in the line.
    void appendPoint(double dayFraction, double y);
    int pointCount() const;
    // Point i, oldest first (X as a fraction of a day); (0, 0) when i is
    // out of range.
    QPointF point(int i) const;
    // Asked at each append whether the point's source is live; none: all live.
    void setStaleTest(std::function<bool()> isStale);
    // Whether point i was appended while its source was not live.
    bool pointStale(int i) const;
    // Removes every point and mark and forgets the day count.
    void clear();

    // A labelled vertical line at a time of day (fraction of a day). The time
    // has no date: it is placed on the day that puts it nearest the newest
    // point (within half a day), or on the current day before any point.
    // A time that is not a finite number is skipped.
    void addMark(double dayFraction, const QString& label);
    // Marks in time order.
    QList<ChartMark> marks() const;
    int maxPoints() const { return maxPoints_; }
    void setMaxPoints(int n);
    // Width of the visible time window, in seconds; setting it resumes
    // following the newest point.
    void setTimeSpan(double seconds);
    double timeSpan() const;
    bool following() const;
    void setFollowing(bool on);

    // Both ends in one call. Reversed ends are swapped; equal or non-finite
    // ends leave the range as it was.
    void setYRange(double lower, double upper);
    double xMin() const;
    double xMax() const;
    double yMin() const;
    double yMax() const;

    int interactionMode() const { return mode_; }
    void setInteractionMode(int mode);

    // Cursors are numbered 1 and 2; X is chart X (see above), Y in axis
    // units. Other numbers are ignored (positions read 0).
    void setCursorVisible(int n, bool visible);
    bool cursorVisible(int n) const;
    void setCursorPosition(int n, double x, double y);
    double cursorX(int n) const;
    double cursorY(int n) const;
    // Moves cursor n as an operator's drag does, raising cursorMoved with
    // tracking true (whatever the mode and visibility).
    void dragCursorTo(int n, double x, double y);

    QCustomPlot* plot() const { return plot_; }
    // Text of the X tick label for a value, as the axis shows it (hh:mm:ss).
    static QString timeLabel(double dayFraction);

signals:
    // Raised on every move while the operator drags a cursor (Cursors mode).
    void cursorMoved(int n, double x, double y, bool tracking);

private:
    void trim();
    void requestReplot();
    class Impl;
    Impl* d_;
    QCustomPlot* plot_;
    int mode_ = Zoom;
    int maxPoints_ = 200000;
    std::function<bool()> isStale_;
};

} // namespace corvale
