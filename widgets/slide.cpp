#include "widgets/slide.h"
#include "widgets/range.h"

#include "core/textnum.h"

#include <QBoxLayout>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace corvale {

namespace {

// Positions of the slider beyond which a plain scale gets coarser steps.
constexpr double kMaxSliderPositions = 1'000'000;
// More minor ticks than this would only paint a grey bar.
constexpr int kMaxTicks = 400;

bool IsWhole(double v) {
    return std::floor(v) == v;
}

// The painted scale beside the slider: ticks at slider positions, with text
// at the major ones.
class SlideScale : public QWidget {
public:
    struct Tick {
        int position; // slider units
        bool major;
        QString text;
    };

    SlideScale(QSlider* slider, QList<Tick> ticks, QWidget* parent)
        : QWidget(parent), slider_(slider), ticks_(std::move(ticks)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        if (slider_->orientation() == Qt::Horizontal)
            setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        else
            setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }

    // Labelled positions (few, each a choice) get the room to show them all.
    QSize minimumSizeHint() const override {
        if (slider_->orientation() == Qt::Horizontal)
            return {0, sizeHint().height()};
        const int handle = slider_->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider_);
        qsizetype labelled = 0;
        for (const Tick& t : ticks_)
            labelled += t.text.isEmpty() ? 0 : 1;
        return {sizeHint().width(), int(labelled) * QFontMetrics(font()).height() + handle};
    }

    QSize sizeHint() const override {
        const QFontMetrics fm(font());
        if (slider_->orientation() == Qt::Horizontal)
            return {60, kMajorLength + 2 + fm.height()};
        int widest = 0;
        for (const Tick& t : ticks_)
            widest = std::max(widest, fm.horizontalAdvance(t.text));
        return {kMajorLength + 4 + widest + 2, 60};
    }

    struct Label {
        QString text;
        QRect rect; // in the scale's coordinates
    };

    // The labels as painted at the current size: all of them where they
    // fit, else every second, fifth ... (strides that keep both ends
    // labelled), else the first alone, so no two run together.
    QList<Label> labels() const {
        QList<QPair<int, Label>> placed; // along the scale, label
        for (const Tick& t : ticks_) {
            if (t.text.isEmpty())
                continue;
            const int at = along(t.position);
            placed.append({at, {t.text, labelRect(at, t.text)}});
        }
        // By place on the scale; rectangles pushed against an end may tie.
        std::stable_sort(placed.begin(), placed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QList<Label> all;
        for (const auto& p : placed)
            all.append(p.second);
        const bool horizontal = slider_->orientation() == Qt::Horizontal;
        const int gap = horizontal ? QFontMetrics(font()).horizontalAdvance(QLatin1Char(' ')) : 0;
        const auto apart = [&](const QRect& a, const QRect& b) {
            return horizontal ? a.x() + a.width() + gap <= b.x() : a.y() + a.height() <= b.y();
        };
        const qsizetype n = all.size();
        for (qsizetype stride = 1; stride < n; ++stride) {
            if ((n - 1) % stride != 0)
                continue;
            bool fits = true;
            for (qsizetype i = stride; i < n && fits; i += stride)
                fits = apart(all[i - stride].rect, all[i].rect);
            if (!fits)
                continue;
            QList<Label> shown;
            for (qsizetype i = 0; i < n; i += stride)
                shown.append(all[i]);
            return shown;
        }
        return all.mid(0, 1);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::WindowText));
        const bool horizontal = slider_->orientation() == Qt::Horizontal;
        for (const Tick& t : ticks_) {
            const int at = along(t.position);
            const int tick = t.major ? kMajorLength : kMinorLength;
            if (horizontal)
                p.drawLine(at, 0, at, tick);
            else
                p.drawLine(0, at, tick, at);
        }
        const int ascent = QFontMetrics(font()).ascent();
        for (const Label& l : labels())
            p.drawText(l.rect.x(), l.rect.y() + ascent, l.text);
    }

private:
    // Where a slider position sits along the scale, in pixels.
    int along(int position) const {
        const bool horizontal = slider_->orientation() == Qt::Horizontal;
        const QPoint origin = mapFromGlobal(slider_->mapToGlobal(QPoint(0, 0)));
        const int handle = slider_->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider_);
        const int length = horizontal ? slider_->width() : slider_->height();
        const int span = std::max(0, length - handle);
        // The same reading of "upside down" as the slider's own style.
        const bool upsideDown =
            horizontal ? slider_->invertedAppearance() : !slider_->invertedAppearance();
        return (horizontal ? origin.x() : origin.y()) + handle / 2 +
               QStyle::sliderPositionFromValue(slider_->minimum(), slider_->maximum(), position,
                                               span, upsideDown);
    }

    // A label centred on its tick, kept inside the scale.
    QRect labelRect(int at, const QString& text) const {
        const QFontMetrics fm(font());
        const int w = fm.horizontalAdvance(text);
        if (slider_->orientation() == Qt::Horizontal) {
            const int x = std::clamp(at - w / 2, 0, std::max(0, width() - w));
            return {x, kMajorLength + 2, w, fm.height()};
        }
        const int baseline = std::clamp(at + fm.ascent() / 2 - 1, fm.ascent(),
                                        std::max(fm.ascent(), height() - fm.descent()));
        return {kMajorLength + 4, baseline - fm.ascent(), w, fm.height()};
    }

    static constexpr int kMajorLength = 7;
    static constexpr int kMinorLength = 4;
    QSlider* slider_;
    QList<Tick> ticks_;
};

} // namespace

Slide::Slide(const QString& name, double minimum, double maximum, double majorTick,
             double minorTick, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), majorTick_(majorTick), minorTick_(minorTick) {
    setObjectName(name);
    NormalizeRange(minimum, maximum);
    min_ = minimum;
    max_ = maximum;
    value_ = min_;

    const double range = max_ - min_;
    // Whole-number scales with whole ticks step by one; others by a hundredth.
    factor_ =
        (IsWhole(min_) && IsWhole(max_) && IsWhole(majorTick) && IsWhole(minorTick)) ? 1.0 : 100.0;
    if (range * factor_ > kMaxSliderPositions)
        factor_ = kMaxSliderPositions / range;

    slider_ = new QSlider(orientation, this);
    slider_->setRange(0, int(std::lround(range * factor_)));
    slider_->setSingleStep(1);
    if (minorTick > 0)
        slider_->setPageStep(std::max(1, int(std::lround(minorTick * factor_))));

    QList<SlideScale::Tick> ticks;
    auto addTicks = [&](double step, bool major) {
        if (!(step > 0) || range / step > kMaxTicks)
            return;
        const int count = int(std::floor(range / step + 1e-9));
        for (int k = 0; k <= count; ++k) {
            const double v = min_ + k * step;
            ticks.append(
                {int(std::lround((v - min_) * factor_)), major, major ? NumberText(v) : QString()});
        }
    };
    addTicks(minorTick, false);
    addTicks(majorTick, true);
    build(orientation, new SlideScale(slider_, ticks, this));
}

Slide::Slide(const QString& name, const QList<QPair<QString, int>>& positions,
             Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), positions_(positions) {
    setObjectName(name);
    slider_ = new QSlider(orientation, this);
    slider_->setRange(0, std::max(0, int(positions_.size()) - 1));
    slider_->setSingleStep(1);
    slider_->setPageStep(1);
    // The first position sits at the top (or left).
    if (orientation == Qt::Vertical)
        slider_->setInvertedAppearance(true);
    QList<SlideScale::Tick> ticks;
    for (int i = 0; i < positions_.size(); ++i)
        ticks.append({i, true, positions_[i].first});
    if (!positions_.isEmpty()) {
        min_ = max_ = positions_.first().second;
        for (const auto& p : positions_) {
            min_ = std::min<double>(min_, p.second);
            max_ = std::max<double>(max_, p.second);
        }
        value_ = positions_.first().second;
    }
    build(orientation, new SlideScale(slider_, ticks, this));
}

QList<QPair<QString, QRect>> Slide::scaleLabels() const {
    QList<QPair<QString, QRect>> shown;
    for (const auto& l : static_cast<const SlideScale*>(scale_)->labels())
        shown.append({l.text, l.rect.translated(scale_->pos())});
    return shown;
}

void Slide::build(Qt::Orientation orientation, QWidget* scale) {
    scale_ = scale;
    auto* layout = new QBoxLayout(
        orientation == Qt::Horizontal ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(slider_);
    layout->addWidget(scale);
    if (orientation == Qt::Vertical)
        layout->addStretch(); // keep the labels beside the slider
    connect(slider_, &QSlider::valueChanged, this, &Slide::fromSlider);
}

int Slide::positionFor(double v) const {
    if (positions_.isEmpty())
        return int(std::lround((v - min_) * factor_));
    int best = 0;
    for (int i = 1; i < positions_.size(); ++i)
        if (std::abs(positions_[i].second - v) < std::abs(positions_[best].second - v))
            best = i;
    return best;
}

void Slide::setValue(double v) {
    if (std::isnan(v))
        return;
    v = std::clamp(v, min_, max_);
    const int position = positionFor(v);
    if (!positions_.isEmpty())
        v = positions_[position].second;
    {
        const QSignalBlocker block(slider_);
        slider_->setValue(position);
    }
    if (v == value_)
        return;
    value_ = v;
    emit valueChanged(value_);
}

QStringList Slide::positionLabels() const {
    QStringList labels;
    for (const auto& p : positions_)
        labels.append(p.first);
    return labels;
}

void Slide::selectPosition(const QString& label) {
    for (int i = 0; i < positions_.size(); ++i) {
        if (positions_[i].first == label) {
            slider_->setValue(i);
            return;
        }
    }
}

void Slide::fromSlider(int position) {
    double v;
    if (!positions_.isEmpty()) {
        if (position < 0 || position >= positions_.size())
            return;
        v = positions_[position].second;
    } else {
        v = std::clamp(min_ + position / factor_, min_, max_);
        if (factor_ != 1.0)
            v = RoundHalfEven(v, 6);
    }
    if (v == value_)
        return;
    value_ = v;
    emit valueChanged(value_);
}

} // namespace corvale
