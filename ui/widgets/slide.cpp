#include "ui/widgets/slide.h"
#include "ui/widgets/range.h"

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

    QSize sizeHint() const override {
        const QFontMetrics fm(font());
        if (slider_->orientation() == Qt::Horizontal)
            return {60, kMajorLength + 2 + fm.height()};
        int widest = 0;
        for (const Tick& t : ticks_)
            widest = std::max(widest, fm.horizontalAdvance(t.text));
        return {kMajorLength + 4 + widest + 2, 60};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::WindowText));
        const bool horizontal = slider_->orientation() == Qt::Horizontal;
        const QPoint origin = mapFromGlobal(slider_->mapToGlobal(QPoint(0, 0)));
        const int handle = slider_->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider_);
        const int length = horizontal ? slider_->width() : slider_->height();
        const int span = std::max(0, length - handle);
        // The same reading of "upside down" as the slider's own style.
        const bool upsideDown =
            horizontal ? slider_->invertedAppearance() : !slider_->invertedAppearance();
        const QFontMetrics fm(font());
        for (const Tick& t : ticks_) {
            const int along =
                (horizontal ? origin.x() : origin.y()) + handle / 2 +
                QStyle::sliderPositionFromValue(slider_->minimum(), slider_->maximum(), t.position,
                                                span, upsideDown);
            const int tick = t.major ? kMajorLength : kMinorLength;
            if (horizontal) {
                p.drawLine(along, 0, along, tick);
                if (!t.text.isEmpty()) {
                    const int w = fm.horizontalAdvance(t.text);
                    const int x = std::clamp(along - w / 2, 0, std::max(0, width() - w));
                    p.drawText(x, kMajorLength + 2 + fm.ascent(), t.text);
                }
            } else {
                p.drawLine(0, along, tick, along);
                if (!t.text.isEmpty()) {
                    const int y = std::clamp(along + fm.ascent() / 2 - 1, fm.ascent(),
                                             std::max(fm.ascent(), height() - fm.descent()));
                    p.drawText(kMajorLength + 4, y, t.text);
                }
            }
        }
    }

private:
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

void Slide::build(Qt::Orientation orientation, QWidget* scale) {
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
