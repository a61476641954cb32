#include "review/reviewplot.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvale {

namespace {
constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();
}

void DetailLevels::build(const std::vector<double>* x, const std::vector<double>* y) {
    x_ = x;
    y_ = y;
    levels_.clear();
    least_ = greatest_ = qQNaN();
    for (const double v : *y) {
        if (std::isnan(v))
            continue;
        least_ = std::isnan(least_) ? v : std::min(least_, v);
        greatest_ = std::isnan(greatest_) ? v : std::max(greatest_, v);
    }
    // Level 1 from the values, each next one from the one before.
    std::size_t n = y->size();
    while (n > 4) {
        Level next;
        const std::size_t m = (n + 3) / 4;
        next.min.assign(m, kNoValue);
        next.max.assign(m, kNoValue);
        for (std::size_t j = 0; j < m; ++j) {
            float lo = kNoValue, hi = kNoValue;
            for (std::size_t i = j * 4; i < std::min(n, j * 4 + 4); ++i) {
                const float a = levels_.empty() ? float((*y)[i]) : levels_.back().min[i];
                const float b = levels_.empty() ? float((*y)[i]) : levels_.back().max[i];
                if (!std::isnan(a))
                    lo = std::isnan(lo) ? a : std::min(lo, a);
                if (!std::isnan(b))
                    hi = std::isnan(hi) ? b : std::max(hi, b);
            }
            next.min[j] = lo;
            next.max[j] = hi;
        }
        levels_.push_back(std::move(next));
        n = m;
    }
}

void DetailLevels::visible(double x0, double x1, int buckets, QVector<QCPGraphData>& out) const {
    out.clear();
    if (!x_ || x_->empty())
        return;
    const std::vector<double>& x = *x_;
    const std::vector<double>& y = *y_;
    std::size_t i0 = std::lower_bound(x.begin(), x.end(), x0) - x.begin();
    std::size_t i1 = std::upper_bound(x.begin(), x.end(), x1) - x.begin();
    i0 = i0 > 0 ? i0 - 1 : 0;
    i1 = std::min(x.size(), i1 + 1);
    const std::size_t count = i1 - i0;
    buckets = std::max(buckets, 1);
    // The coarsest level that still has a run per column.
    std::size_t level = 0, run = 1;
    while (level < levels_.size() && run * 4 * std::size_t(buckets) <= count) {
        ++level;
        run *= 4;
    }
    if (level == 0) {
        out.reserve(int(count));
        for (std::size_t i = i0; i < i1; ++i)
            out.append(QCPGraphData(x[i], y[i]));
        return;
    }
    // Runs that fall in one column become one minimum and one maximum.
    const Level& l = levels_[level - 1];
    out.reserve(2 * buckets + 4);
    const double perColumn = (x1 - x0) / buckets;
    long long column = std::numeric_limits<long long>::min();
    double firstX = 0, lastX = 0;
    float lo = kNoValue, hi = kNoValue;
    const auto flush = [&] {
        if (column == std::numeric_limits<long long>::min())
            return;
        out.append(QCPGraphData(firstX, lo));
        out.append(QCPGraphData(lastX, hi));
    };
    for (std::size_t j = i0 / run; j * run < i1 && j < l.min.size(); ++j) {
        const std::size_t first = j * run;
        const std::size_t last = std::min(x.size() - 1, first + run - 1);
        const auto c = static_cast<long long>(std::floor((x[first] - x0) / perColumn));
        if (c != column) {
            flush();
            column = c;
            firstX = x[first];
            lo = l.min[j];
            hi = l.max[j];
        } else {
            if (!std::isnan(l.min[j]))
                lo = std::isnan(lo) ? l.min[j] : std::min(lo, l.min[j]);
            if (!std::isnan(l.max[j]))
                hi = std::isnan(hi) ? l.max[j] : std::max(hi, l.max[j]);
        }
        lastX = x[last];
    }
    flush();
}

// Spans, marks and the cursor, drawn over every panel.
class ReviewPlot::Overlay : public QCPLayerable {
public:
    explicit Overlay(ReviewPlot* plot) : QCPLayerable(plot), plot_(plot) {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override {
        painter->setAntialiasing(false);
    }
    void draw(QCPPainter* painter) override {
        const double from = plot_->viewFrom(), to = plot_->viewTo();
        for (const Panel& p : plot_->panels_) {
            const QRect r = p.rect->rect();
            QCPAxis* x = p.rect->axis(QCPAxis::atBottom);
            painter->save();
            painter->setClipRect(r);
            // Spans: at least 2 px wide, so a single damaged line shows.
            const auto first =
                std::lower_bound(plot_->spans_.begin(), plot_->spans_.end(), from,
                                 [](const PlotSpan& s, double v) { return s.to < v; });
            for (auto s = first; s != plot_->spans_.end() && s->from <= to; ++s) {
                const double a = x->coordToPixel(s->from), b = x->coordToPixel(s->to);
                painter->fillRect(QRectF(a - 1, r.top(), std::max(2.0, b - a + 2), r.height()),
                                  s->color);
            }
            // Solid: a dashed line per mark costs more than all the series.
            const QPen markPen(QColor(200, 30, 30, 160), 1);
            painter->setPen(markPen);
            double labelEnd = -1e9; // a label that would overlap the one before is left out
            for (const PlotMark& m : plot_->marks_) {
                if (m.x < from || m.x > to)
                    continue;
                const double px = x->coordToPixel(m.x);
                painter->drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
                if (&p == &plot_->panels_.front() && px > labelEnd) {
                    painter->drawText(QPointF(px + 3, r.top() + 12), m.label);
                    labelEnd = px + 3 + painter->fontMetrics().horizontalAdvance(m.label) + 4;
                }
            }
            if (!std::isnan(plot_->cursorX_)) {
                const double px = x->coordToPixel(plot_->cursorX_);
                painter->setPen(QPen(QColor(20, 20, 20), 1));
                painter->drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
            }
            painter->restore();
        }
    }

private:
    ReviewPlot* plot_;
};

ReviewPlot::ReviewPlot(QWidget* parent) : QCustomPlot(parent) {
    plotLayout()->clear();
    ticker_.reset(new QCPAxisTickerDateTime);
    ticker_->setDateTimeFormat(QStringLiteral("HH:mm:ss\nyyyy-MM-dd"));
    margins_ = new QCPMarginGroup(this);
    overlay_ = new Overlay(this); // on QCustomPlot's own "overlay" layer
    overlay_->setLayer(QStringLiteral("overlay"));
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    setNoAntialiasingOnDrag(true);
    // Two points a column: antialiasing would only blur them, at a cost.
    setNotAntialiasedElements(QCP::aePlottables);
    connect(this, &QCustomPlot::beforeReplot, this, &ReviewPlot::refresh);
}

ReviewPlot::~ReviewPlot() = default;

int ReviewPlot::addPanel(const QString& title) {
    auto* rect = new QCPAxisRect(this);
    rect->setRangeDrag(Qt::Horizontal);
    rect->setRangeZoom(Qt::Horizontal);
    rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins_);
    QCPAxis* x = rect->axis(QCPAxis::atBottom);
    x->setTicker(ticker_);
    rect->axis(QCPAxis::atLeft)->setLabel(title);
    // Only the lowest panel labels the time axis.
    if (!panels_.empty()) {
        x->setRange(panels_.front().rect->axis(QCPAxis::atBottom)->range());
        panels_.back().rect->axis(QCPAxis::atBottom)->setTickLabels(false);
    }
    plotLayout()->addElement(static_cast<int>(panels_.size()), 0, rect);
    connect(x, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &ReviewPlot::onRangeChanged);
    panels_.push_back({rect, {}});
    return static_cast<int>(panels_.size()) - 1;
}

void ReviewPlot::addSeries(int panel, const QString& name, const QColor& color,
                           const std::vector<double>* x, const std::vector<double>* y) {
    QCPAxisRect* rect = panels_[panel].rect;
    QCPGraph* g = addGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    g->setName(name);
    g->setPen(QPen(color));
    g->setAdaptiveSampling(false); // the levels already did it
    auto s = std::make_unique<Series>(Series{g, {}});
    s->levels.build(x, y);
    panels_[panel].series.push_back(s.get());
    series_.push_back(std::move(s));
}

void ReviewPlot::setUtcOffset(int seconds) {
    ticker_->setTimeZone(QTimeZone(seconds));
}

void ReviewPlot::setMarks(const QList<PlotMark>& marks) {
    marks_ = marks;
    replot(rpQueuedReplot);
}

void ReviewPlot::setSpans(const QList<PlotSpan>& spans) {
    spans_ = spans;
    std::sort(spans_.begin(), spans_.end(),
              [](const PlotSpan& a, const PlotSpan& b) { return a.from < b.from; });
    replot(rpQueuedReplot);
}

void ReviewPlot::setView(double from, double to) {
    if (panels_.empty() || !(to > from))
        return;
    panels_.front().rect->axis(QCPAxis::atBottom)->setRange(from, to);
}

double ReviewPlot::viewFrom() const {
    return panels_.empty() ? 0 : panels_.front().rect->axis(QCPAxis::atBottom)->range().lower;
}

double ReviewPlot::viewTo() const {
    return panels_.empty() ? 0 : panels_.front().rect->axis(QCPAxis::atBottom)->range().upper;
}

void ReviewPlot::fitValues() {
    for (const Panel& p : panels_) {
        double lo = qQNaN(), hi = qQNaN();
        for (const Series* s : p.series) {
            if (!std::isnan(s->levels.least()))
                lo = std::isnan(lo) ? s->levels.least() : std::min(lo, s->levels.least());
            if (!std::isnan(s->levels.greatest()))
                hi = std::isnan(hi) ? s->levels.greatest() : std::max(hi, s->levels.greatest());
        }
        if (std::isnan(lo))
            continue;
        const double pad = hi > lo ? (hi - lo) * 0.05 : std::max(1.0, std::abs(lo) * 0.05);
        p.rect->axis(QCPAxis::atLeft)->setRange(lo - pad, hi + pad);
    }
}

void ReviewPlot::setCursorX(double x) {
    cursorX_ = x;
    replot(rpQueuedReplot);
}

void ReviewPlot::clearPanels() {
    clearGraphs();
    plotLayout()->clear();
    panels_.clear();
    series_.clear();
}

void ReviewPlot::onRangeChanged(const QCPRange& range) {
    if (syncing_)
        return;
    syncing_ = true;
    for (const Panel& p : panels_)
        p.rect->axis(QCPAxis::atBottom)->setRange(range);
    syncing_ = false;
    replot(rpQueuedReplot);
    emit viewChanged(range.lower, range.upper);
}

void ReviewPlot::breakAcrossGaps(QVector<QCPGraphData>& points) const {
    // Two neighbours with a whole outage between them are not joined: a NaN
    // between them breaks the line, as the station's charts do.
    for (const PlotSpan& span : spans_) {
        if (!span.gap)
            continue;
        const auto after =
            std::lower_bound(points.begin(), points.end(), span.to,
                             [](const QCPGraphData& d, double x) { return d.key < x; });
        if (after == points.begin() || after == points.end() || (after - 1)->key > span.from)
            continue;
        points.insert(after, QCPGraphData((span.from + span.to) / 2, qQNaN()));
    }
}

void ReviewPlot::refresh() {
    drawnPoints_ = 0;
    QVector<QCPGraphData> points;
    const double from = viewFrom(), to = viewTo();
    for (const Panel& p : panels_) {
        const int columns = std::max(1, p.rect->width());
        for (Series* s : p.series) {
            s->levels.visible(from, to, columns, points);
            breakAcrossGaps(points);
            drawnPoints_ += points.size();
            s->graph->data()->set(points, true);
        }
    }
}

void ReviewPlot::mousePressEvent(QMouseEvent* event) {
    pressedAt_ = event->pos();
    QCustomPlot::mousePressEvent(event);
}

void ReviewPlot::mouseReleaseEvent(QMouseEvent* event) {
    QCustomPlot::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || (event->pos() - pressedAt_).manhattanLength() > 3 ||
        panels_.empty())
        return;
    for (const Panel& p : panels_) {
        if (p.rect->rect().contains(event->pos())) {
            emit clicked(p.rect->axis(QCPAxis::atBottom)->pixelToCoord(event->pos().x()));
            return;
        }
    }
}

} // namespace corvale
