#pragma once
// The review window's charts: one QCustomPlot of stacked panels sharing one
// time axis (seconds since 1970 UTC, labelled in the station's local time),
// the marks as labelled lines, damaged and malformed stretches shaded, and
// a cursor line. Each series keeps its values at every level of detail (the
// minimum and maximum of runs of 4, 16, 64 ... points), so a view of any
// width is drawn from about two points per pixel, whatever the session's
// length.

#include <qcustomplot.h>

#include <QList>
#include <QString>
#include <vector>

namespace corvale {

// Minimum and maximum of each run of 4^k values, for k = 1, 2, ...
class DetailLevels {
public:
    // x ascending; both outlive this object. NaN values are gaps.
    void build(const std::vector<double>* x, const std::vector<double>* y);
    // The points to draw between x0 and x1 for about `buckets` columns,
    // one point beyond each end so the line reaches the edges.
    void visible(double x0, double x1, int buckets, QVector<QCPGraphData>& out) const;
    // Least and greatest value, NaN when none.
    double least() const { return least_; }
    double greatest() const { return greatest_; }

private:
    struct Level {
        std::vector<float> min, max;
    };
    const std::vector<double>* x_ = nullptr;
    const std::vector<double>* y_ = nullptr;
    std::vector<Level> levels_; // levels_[k] holds runs of 4^(k+1)
    double least_ = 0, greatest_ = 0;
};

struct PlotMark {
    double x = 0; // seconds since 1970 UTC
    QString label;
};

struct PlotSpan {
    double from = 0, to = 0;
    QColor color;
    // A line was down: no series draws its line across the whole span.
    bool gap = false;
};

class ReviewPlot : public QCustomPlot {
    Q_OBJECT
public:
    explicit ReviewPlot(QWidget* parent = nullptr);
    ~ReviewPlot() override;

    // A new panel below the others; returns its index.
    int addPanel(const QString& title);
    // A series drawn in panel `panel`; x and y outlive the plot.
    void addSeries(int panel, const QString& name, const QColor& color,
                   const std::vector<double>* x, const std::vector<double>* y);
    // Removes every panel and series.
    void clearPanels();
    int panelCount() const { return static_cast<int>(panels_.size()); }
    QCPAxisRect* panel(int i) const { return panels_[i].rect; }
    // Shows local times at this offset from UTC.
    void setUtcOffset(int seconds);
    void setMarks(const QList<PlotMark>& marks);
    void setSpans(const QList<PlotSpan>& spans);

    // The visible time window, seconds since 1970 UTC.
    void setView(double from, double to);
    double viewFrom() const;
    double viewTo() const;
    // Fits every panel's value axis to its whole series.
    void fitValues();

    void setCursorX(double x);
    double cursorX() const { return cursorX_; }

    // Points handed to QCustomPlot in the last refresh, all series.
    int drawnPoints() const { return drawnPoints_; }
    // Re-decimates for the current view now (it is done before each replot).
    void refresh();
    void breakAcrossGaps(QVector<QCPGraphData>& points) const;

signals:
    void viewChanged(double from, double to);
    // A click (no drag) on a panel.
    void clicked(double x);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Series {
        QCPGraph* graph;
        DetailLevels levels;
    };
    struct Panel {
        QCPAxisRect* rect;
        std::vector<Series*> series;
    };
    class Overlay;
    void onRangeChanged(const QCPRange& range);

    std::vector<Panel> panels_;
    std::vector<std::unique_ptr<Series>> series_;
    QSharedPointer<QCPAxisTickerDateTime> ticker_;
    Overlay* overlay_ = nullptr;
    QCPMarginGroup* margins_ = nullptr;
    QList<PlotMark> marks_;
    QList<PlotSpan> spans_;
    double cursorX_ = qQNaN();
    bool syncing_ = false;
    int drawnPoints_ = 0;
    QPoint pressedAt_;
    friend class Overlay;
};

} // namespace corvale
