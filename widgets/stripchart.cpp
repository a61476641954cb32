#include "widgets/stripchart.h"

#include "core/textnum.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

namespace corvale {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// One frame: changes within it share one replot.
constexpr qint64 kFrameMs = 16;
// How close (in pixels) a press must come to a cursor's line to grab it.
constexpr double kGrabDistance = 6.0;
const QColor kMarkColour(190, 90, 0);

// Ticks at readable whole-second steps of the time of day, labelled hh:mm:ss,
// never closer than a label's width and a gap, so narrow charts show fewer
// labels instead of running them together.
class TimeOfDayTicker : public QCPAxisTicker {
public:
    explicit TimeOfDayTicker(QCPAxis* axis) : axis_(axis) {}

protected:
    double getTickStep(const QCPRange& range) override {
        static const QVector<double> steps = {1,    2,    5,     10,    15,    30,
                                              60,   120,  300,   600,   900,   1800,
                                              3600, 7200, 10800, 21600, 43200, 86400};
        const double seconds = range.size() * kSecondsPerDay;
        const double target = seconds / std::max(1, tickCount());
        double step = target > kSecondsPerDay ? std::ceil(target / kSecondsPerDay) * kSecondsPerDay
                                              : pickClosest(target, steps);
        const double least = seconds * labelPitch() / std::max(1, axisLength());
        if (step < least) {
            const auto it = std::lower_bound(steps.cbegin(), steps.cend(), least);
            step = it != steps.cend() ? *it : std::ceil(least / kSecondsPerDay) * kSecondsPerDay;
        }
        return step / kSecondsPerDay;
    }

    int getSubTickCount(double tickStep) override {
        switch (long(std::lround(tickStep * kSecondsPerDay))) {
        case 5:
        case 300:
        case 21600:
            return 4;
        case 15:
        case 30:
        case 900:
        case 1800:
        case 10800:
            return 2;
        case 60:
        case 3600:
        case 43200:
        case 86400:
            return 3;
        default:
            return 1;
        }
    }

    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return FormatDayFraction(tick);
    }

private:
    // Pixels from one label's start to the next one's: the widest hh:mm:ss
    // and two spaces.
    int labelPitch() const {
        const QFontMetrics fm(axis_->tickLabelFont());
        int digit = 0;
        for (char c = '0'; c <= '9'; ++c)
            digit = std::max(digit, fm.horizontalAdvance(QLatin1Char(c)));
        return 6 * digit + 2 * fm.horizontalAdvance(QLatin1Char(':')) +
               2 * fm.horizontalAdvance(QLatin1Char(' '));
    }

    // Ticks are set up before the layout; the plot's width less the last
    // margins covers a shrink, the last axis width a growth.
    int axisLength() const {
        const QCPAxisRect* rect = axis_->axisRect();
        int length = axis_->parentPlot()->viewport().width() - rect->margins().left() -
                     rect->margins().right();
        if (rect->width() > 0)
            length = std::min(length, rect->width());
        return length;
    }

    QCPAxis* axis_;
};

} // namespace

class StripChart::Impl {
public:
    struct Cursor {
        QCPItemStraightLine* vertical = nullptr;
        QCPItemStraightLine* horizontal = nullptr;
        double x = 0;
        double y = 0;
        bool visible = false;
    };

    struct MarkItem {
        ChartMark mark;
        QCPItemStraightLine* line = nullptr;
        QCPItemText* text = nullptr;
    };

    QCPGraph* graph = nullptr;
    QCPGraph* stale = nullptr; // points appended while not live, drawn over
    bool lastStale = false;
    std::array<Cursor, 2> cursors;
    std::deque<MarkItem> marks; // in X order
    double dayCount = 0;        // whole days added since the first point
    double lastKey = 0;         // chart X of the newest point
    bool hasLast = false;
    double span = 60.0 / kSecondsPerDay; // visible width at start, in days
    bool following = true;
    bool settingX = false; // the chart itself is moving the time axis
    int dragging = 0;      // cursor held by the mouse, 0 for none
    int droppedSinceSqueeze = 0;
    QTimer* replotTimer = nullptr; // the next replot, once per frame at most
    QElapsedTimer sinceReplot;     // since the last one this chart asked for

    Cursor* cursor(int n) { return (n == 1 || n == 2) ? &cursors[size_t(n - 1)] : nullptr; }
    const Cursor* cursor(int n) const {
        return (n == 1 || n == 2) ? &cursors[size_t(n - 1)] : nullptr;
    }
};

StripChart::StripChart(const QString& name, const QString& xCaption, const QString& yCaption,
                       QWidget* parent)
    : QWidget(parent), d_(new Impl), plot_(new QCustomPlot(this)) {
    setObjectName(name);
    plot_->setObjectName(name + QStringLiteral("_plot"));
    d_->replotTimer = new QTimer(this);
    d_->replotTimer->setSingleShot(true);
    d_->replotTimer->setTimerType(Qt::PreciseTimer);
    connect(d_->replotTimer, &QTimer::timeout, this, [this] {
        d_->sinceReplot.start();
        plot_->replot();
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);

    d_->graph = plot_->addGraph();
    d_->graph->setAdaptiveSampling(true);
    d_->graph->setPen(QPen(QColor(0, 90, 200), 1));
    // The chart trims the store itself, in batches (see trim()).
    d_->graph->data()->setAutoSqueeze(false);
    d_->stale = plot_->addGraph();
    d_->stale->setAdaptiveSampling(true);
    d_->stale->setPen(QPen(QColor(150, 150, 150), 3, Qt::DashLine));
    d_->stale->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
    d_->stale->setSelectable(QCP::stNone);

    // One paint buffer instead of two (the zoom rectangle's own layer gets
    // none): a whole-chart repaint costs a few ms, a second 1600x400 buffer
    // costs 2.5 MB per chart.
    if (QCPLayer* overlay = plot_->layer(QStringLiteral("overlay")))
        overlay->setMode(QCPLayer::lmLogical);

    plot_->xAxis->setLabel(xCaption);
    plot_->yAxis->setLabel(yCaption);
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new TimeOfDayTicker(plot_->xAxis)));
    plot_->xAxis->setRange(0, d_->span);
    plot_->yAxis->setRange(0, 10);

    const QColor colours[2] = {QColor(220, 30, 30), QColor(20, 150, 20)};
    for (int i = 0; i < 2; ++i) {
        Impl::Cursor& c = d_->cursors[size_t(i)];
        const QPen pen(colours[i], 1, Qt::DashLine);
        c.vertical = new QCPItemStraightLine(plot_);
        c.horizontal = new QCPItemStraightLine(plot_);
        for (QCPItemStraightLine* line : {c.vertical, c.horizontal}) {
            line->setPen(pen);
            line->setSelectable(false);
            line->setVisible(false);
        }
        c.x = d_->span / 2;
        c.y = 5;
    }
    for (int n = 1; n <= 2; ++n)
        setCursorPosition(n, d_->cursors[size_t(n - 1)].x, d_->cursors[size_t(n - 1)].y);

    // An operator's move of the time axis decides whether the chart keeps
    // following the newest point.
    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& range) {
                if (d_->settingX || !d_->hasLast)
                    return;
                d_->following = range.upper >= d_->lastKey - range.size() * 0.01;
            });

    connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        d_->dragging = 0;
        if (mode_ != Cursors || event->button() != Qt::LeftButton)
            return;
        const QPointF pos = event->position();
        if (!plot_->axisRect()->rect().contains(pos.toPoint()))
            return;
        double best = kGrabDistance;
        for (int n = 1; n <= 2; ++n) {
            const Impl::Cursor& c = *d_->cursor(n);
            if (!c.visible)
                continue;
            const double dx = std::abs(plot_->xAxis->coordToPixel(c.x) - pos.x());
            const double dy = std::abs(plot_->yAxis->coordToPixel(c.y) - pos.y());
            const double distance = std::min(dx, dy);
            if (distance <= best) {
                best = distance;
                d_->dragging = n;
            }
        }
    });
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        if (d_->dragging == 0 || mode_ != Cursors)
            return;
        const QPointF pos = event->position();
        const QCPRange xr = plot_->xAxis->range();
        const QCPRange yr = plot_->yAxis->range();
        const double x = std::clamp(plot_->xAxis->pixelToCoord(pos.x()), xr.lower, xr.upper);
        const double y = std::clamp(plot_->yAxis->pixelToCoord(pos.y()), yr.lower, yr.upper);
        dragCursorTo(d_->dragging, x, y);
    });
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent*) { d_->dragging = 0; });

    setInteractionMode(Zoom);
}

void StripChart::requestReplot() {
    if (d_->replotTimer->isActive())
        return; // one is due already
    // The first change after a quiet frame replots at the event loop's next
    // turn; later ones wait for the end of the frame the last replot began.
    const qint64 since = d_->sinceReplot.isValid() ? d_->sinceReplot.elapsed() : kFrameMs;
    d_->replotTimer->start(int(std::max<qint64>(0, kFrameMs - since)));
}

StripChart::~StripChart() {
    delete d_;
}

void StripChart::appendPoint(double dayFraction, double y) {
    if (!std::isfinite(dayFraction) || std::isinf(y))
        return;
    double key = d_->dayCount + (dayFraction - std::floor(dayFraction));
    // The time of day has no date: going back means midnight has passed.
    if (d_->hasLast && key < d_->lastKey) {
        d_->dayCount += 1;
        key += 1;
    }
    d_->graph->data()->add(QCPGraphData(key, y));
    const bool stale = isStale_ && isStale_();
    if (stale) {
        // A new stretch does not join the one before it.
        if (!d_->lastStale && !d_->stale->data()->isEmpty())
            d_->stale->data()->add(QCPGraphData(key, qQNaN()));
        d_->stale->data()->add(QCPGraphData(key, y));
    }
    d_->lastStale = stale;
    d_->lastKey = key;
    d_->hasLast = true;
    trim();
    if (d_->following) {
        const double width = plot_->xAxis->range().size();
        d_->settingX = true;
        plot_->xAxis->setRange(key - width, key);
        d_->settingX = false;
    }
    requestReplot();
}

void StripChart::trim() {
    QCPGraphDataContainer& data = *d_->graph->data();
    const int before = data.size();
    if (before <= maxPoints_)
        return;
    const auto dropMarks = [this, &data] {
        if (data.isEmpty())
            return;
        const double oldest = data.constBegin()->key;
        while (!d_->marks.empty() && d_->marks.front().mark.x < oldest) {
            plot_->removeItem(d_->marks.front().line);
            plot_->removeItem(d_->marks.front().text);
            d_->marks.pop_front();
        }
    };
    // Bulk drop first (a smaller maximum), then one at a time for equal keys.
    if (before - maxPoints_ > 1)
        data.removeBefore((data.constBegin() + (before - maxPoints_))->key);
    while (data.size() > maxPoints_)
        data.remove(data.constBegin()->key);
    dropMarks();
    if (!data.isEmpty())
        d_->stale->data()->removeBefore(data.constBegin()->key);
    // Dropped points stay allocated in front of the data until squeezed;
    // squeezing every eighth of the store keeps memory near the points
    // kept at an amortised cost of a few copies per append.
    d_->droppedSinceSqueeze += before - data.size();
    if (d_->droppedSinceSqueeze >= std::max(1024, maxPoints_ / 8)) {
        data.squeeze(true, false);
        d_->droppedSinceSqueeze = 0;
    }
}

int StripChart::pointCount() const {
    return d_->graph->data()->size();
}

QPointF StripChart::point(int i) const {
    const auto& data = *d_->graph->data();
    if (i < 0 || i >= data.size())
        return {};
    const auto it = data.at(i);
    return {it->key - std::floor(it->key), it->value};
}

void StripChart::setStaleTest(std::function<bool()> isStale) {
    isStale_ = std::move(isStale);
}

bool StripChart::pointStale(int i) const {
    const auto& data = *d_->graph->data();
    if (i < 0 || i >= data.size())
        return false;
    const double key = data.at(i)->key;
    const auto& stale = *d_->stale->data();
    for (auto it = stale.findBegin(key, false); it != stale.constEnd() && it->key == key; ++it)
        if (!std::isnan(it->value))
            return true;
    return false;
}

void StripChart::addMark(double dayFraction, const QString& label) {
    if (!std::isfinite(dayFraction))
        return;
    const double fraction = dayFraction - std::floor(dayFraction);
    double x = d_->dayCount + fraction;
    if (d_->hasLast) {
        x = std::floor(d_->lastKey) + fraction;
        if (x - d_->lastKey > 0.5)
            x -= 1;
        else if (d_->lastKey - x > 0.5)
            x += 1;
    }
    Impl::MarkItem item{{x, label}, new QCPItemStraightLine(plot_), new QCPItemText(plot_)};
    item.line->setPen(QPen(kMarkColour, 1));
    item.line->setSelectable(false);
    item.line->setAntialiased(false); // a crisp one-pixel line
    item.line->point1->setCoords(x, 0);
    item.line->point2->setCoords(x, 1);
    // The label runs down beside the line from the top of the plot.
    item.text->setSelectable(false);
    item.text->setText(label);
    item.text->setColor(kMarkColour);
    item.text->setRotation(90);
    item.text->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
    item.text->setPadding(QMargins(4, 0, 4, 2));
    item.text->position->setTypeX(QCPItemPosition::ptPlotCoords);
    item.text->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    item.text->position->setCoords(x, 0);
    const auto at =
        std::upper_bound(d_->marks.begin(), d_->marks.end(), x,
                         [](double key, const Impl::MarkItem& m) { return key < m.mark.x; });
    d_->marks.insert(at, item);
    requestReplot();
}

QList<ChartMark> StripChart::marks() const {
    QList<ChartMark> out;
    out.reserve(qsizetype(d_->marks.size()));
    for (const auto& m : d_->marks)
        out.append(m.mark);
    return out;
}

void StripChart::clear() {
    for (const auto& m : d_->marks) {
        plot_->removeItem(m.line);
        plot_->removeItem(m.text);
    }
    d_->marks.clear();
    d_->graph->data()->clear();
    d_->stale->data()->clear();
    d_->lastStale = false;
    d_->dayCount = 0;
    d_->lastKey = 0;
    d_->hasLast = false;
    d_->droppedSinceSqueeze = 0;
    requestReplot();
}

void StripChart::setMaxPoints(int n) {
    maxPoints_ = std::max(1, n);
    trim();
    requestReplot();
}

void StripChart::setTimeSpan(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0)
        return;
    d_->span = seconds / kSecondsPerDay;
    d_->following = true;
    const double right = d_->hasLast ? d_->lastKey : d_->span;
    d_->settingX = true;
    plot_->xAxis->setRange(right - d_->span, right);
    d_->settingX = false;
    requestReplot();
}

double StripChart::timeSpan() const {
    return d_->span * kSecondsPerDay;
}

bool StripChart::following() const {
    return d_->following;
}

void StripChart::setFollowing(bool on) {
    d_->following = on;
    if (on && d_->hasLast) {
        const double width = plot_->xAxis->range().size();
        d_->settingX = true;
        plot_->xAxis->setRange(d_->lastKey - width, d_->lastKey);
        d_->settingX = false;
        requestReplot();
    }
}

void StripChart::setYRange(double lower, double upper) {
    if (!std::isfinite(lower) || !std::isfinite(upper) || lower == upper)
        return;
    if (lower > upper)
        std::swap(lower, upper);
    if (plot_->yAxis->range().lower == lower && plot_->yAxis->range().upper == upper)
        return;
    plot_->yAxis->setRange(lower, upper);
    requestReplot();
}

double StripChart::xMin() const {
    return plot_->xAxis->range().lower;
}
double StripChart::xMax() const {
    return plot_->xAxis->range().upper;
}
double StripChart::yMin() const {
    return plot_->yAxis->range().lower;
}
double StripChart::yMax() const {
    return plot_->yAxis->range().upper;
}

void StripChart::setInteractionMode(int mode) {
    if (mode != Cursors && mode != Zoom && mode != Pan)
        return;
    mode_ = mode;
    d_->dragging = 0;
    if (plot_->selectionRect())
        plot_->selectionRect()->cancel();
    switch (mode) {
    case Pan:
        plot_->setSelectionRectMode(QCP::srmNone);
        plot_->setInteractions(QCP::iRangeDrag);
        plot_->axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
        plot_->setCursor(Qt::OpenHandCursor);
        break;
    case Zoom:
        plot_->setInteractions({});
        plot_->axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
        plot_->setSelectionRectMode(QCP::srmZoom);
        plot_->setCursor(Qt::CrossCursor);
        break;
    default:
        plot_->setInteractions({});
        plot_->setSelectionRectMode(QCP::srmNone);
        plot_->setCursor(Qt::ArrowCursor);
        break;
    }
}

void StripChart::setCursorVisible(int n, bool visible) {
    Impl::Cursor* c = d_->cursor(n);
    if (!c || c->visible == visible)
        return;
    c->visible = visible;
    c->vertical->setVisible(visible);
    c->horizontal->setVisible(visible);
    if (!visible && d_->dragging == n)
        d_->dragging = 0;
    requestReplot();
}

bool StripChart::cursorVisible(int n) const {
    const Impl::Cursor* c = d_->cursor(n);
    return c && c->visible;
}

void StripChart::setCursorPosition(int n, double x, double y) {
    Impl::Cursor* c = d_->cursor(n);
    if (!c || !std::isfinite(x) || !std::isfinite(y))
        return;
    if (c->x == x && c->y == y && c->vertical->point1->coords().x() == x)
        return;
    c->x = x;
    c->y = y;
    c->vertical->point1->setCoords(x, 0);
    c->vertical->point2->setCoords(x, 1);
    c->horizontal->point1->setCoords(0, y);
    c->horizontal->point2->setCoords(1, y);
    requestReplot();
}

double StripChart::cursorX(int n) const {
    const Impl::Cursor* c = d_->cursor(n);
    return c ? c->x : 0.0;
}

double StripChart::cursorY(int n) const {
    const Impl::Cursor* c = d_->cursor(n);
    return c ? c->y : 0.0;
}

void StripChart::dragCursorTo(int n, double x, double y) {
    if (!d_->cursor(n) || !std::isfinite(x) || !std::isfinite(y))
        return;
    setCursorPosition(n, x, y);
    emit cursorMoved(n, x, y, true);
}

QString StripChart::timeLabel(double dayFraction) {
    return FormatDayFraction(dayFraction);
}

} // namespace corvale
