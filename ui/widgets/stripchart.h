#pragma once
// A strip chart on QCustomPlot: one plot of (time of day, value) points that
// scroll in from the right, an X axis labelled hh:mm:ss, one Y axis, zoom /
// pan / cursor modes and two cursors.
//
// X values are times of day as fractions of a day. Points are kept in time
// order across midnight (the day count is carried internally), and the
// chart keeps at most maxPoints() of them, dropping the oldest.

#include <QWidget>

class QCustomPlot;

class StripChart : public QWidget {
    Q_OBJECT
public:
    // Interaction mode codes of the chart.
    enum Mode { Cursors = 2, Zoom = 3, Pan = 6 };

    StripChart(const QString& name, const QString& xCaption, const QString& yCaption,
               QWidget* parent = nullptr);
    ~StripChart() override;

    // Appends a point to plot 1 and schedules one repaint.
    void appendPoint(double dayFraction, double y);
    int pointCount() const;
    // Point i as appended (X as a fraction of a day).
    QPointF point(int i) const;
    int maxPoints() const { return maxPoints_; }
    void setMaxPoints(int n);
    // Width of the visible time window, in seconds.
    void setTimeSpan(double seconds);

    void setYRange(double lower, double upper); // both ends in one call
    double xMin() const;
    double xMax() const;
    double yMin() const;
    double yMax() const;

    int interactionMode() const { return mode_; }
    void setInteractionMode(int mode);

    // Cursors are numbered 1 and 2; X in fractions of a day.
    void setCursorVisible(int n, bool visible);
    bool cursorVisible(int n) const;
    void setCursorPosition(int n, double x, double y);
    double cursorX(int n) const;
    double cursorY(int n) const;
    // Moves cursor n as an operator's drag does, raising cursorMoved.
    void dragCursorTo(int n, double x, double y);

    QCustomPlot* plot() const { return plot_; }
    // Text of the X tick label for a value, as the axis shows it.
    static QString timeLabel(double dayFraction);

signals:
    void cursorMoved(int n, double x, double y, bool tracking);

private:
    class Impl;
    Impl* d_;
    QCustomPlot* plot_;
    int mode_ = Zoom;
    int maxPoints_ = 200000;
};
