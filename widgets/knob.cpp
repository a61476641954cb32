#include "widgets/knob.h"
#include "widgets/range.h"

#include "core/textnum.h"

#include <QDial>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace corvale {

namespace {
// The dial turns in hundredths of the knob's unit.
constexpr double kStepsPerUnit = 100.0;
// Upper bound on dial positions so wide scales still map onto an int.
constexpr double kMaxDialPositions = 1'000'000;
} // namespace

Knob::Knob(const QString& name, const QString& caption, double minimum, double maximum,
           QWidget* parent)
    : QWidget(parent) {
    setObjectName(name);
    NormalizeRange(minimum, maximum);
    min_ = minimum;
    max_ = maximum;
    value_ = min_;
    stepsPerUnit_ = kStepsPerUnit;
    if ((max_ - min_) * stepsPerUnit_ > kMaxDialPositions)
        stepsPerUnit_ = kMaxDialPositions / (max_ - min_);

    auto* captionLabel = new QLabel(caption, this);
    captionLabel->setObjectName(name + QStringLiteral("_caption"));
    captionLabel->setAlignment(Qt::AlignCenter);

    dial_ = new QDial(this);
    dial_->setObjectName(name + QStringLiteral("_dial"));
    dial_->setWrapping(false);
    dial_->setNotchesVisible(true);
    const int positions = int(std::lround((max_ - min_) * stepsPerUnit_));
    dial_->setRange(0, positions);
    dial_->setSingleStep(1);
    dial_->setPageStep(std::max(1, positions / 14));
    dial_->setNotchTarget(std::max(1.0, positions / 28.0));
    dial_->setMinimumSize(56, 56);

    readout_ = new QLabel(this);
    readout_->setObjectName(name + QStringLiteral("_readout"));
    readout_->setAlignment(Qt::AlignCenter);
    readout_->setFrameShape(QFrame::Panel);
    readout_->setFrameShadow(QFrame::Sunken);
    auto* low = new QLabel(NumberText(min_), this);
    auto* high = new QLabel(NumberText(max_), this);
    high->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    grid->addWidget(captionLabel, 0, 0, 1, 3);
    grid->addWidget(dial_, 1, 0, 1, 3);
    grid->addWidget(low, 2, 0);
    grid->addWidget(readout_, 2, 1);
    grid->addWidget(high, 2, 2);
    grid->setRowStretch(1, 1); // spare room goes to the dial
    for (QLabel* label : {captionLabel, readout_, low, high})
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    showValue();
    connect(dial_, &QDial::valueChanged, this, &Knob::fromDial);
}

void Knob::setValue(double v) {
    if (std::isnan(v))
        return;
    v = std::clamp(v, min_, max_);
    if (v == value_)
        return;
    value_ = v;
    showValue();
    emit valueChanged(value_);
}

QString Knob::readout() const {
    return readout_->text();
}

void Knob::showValue() {
    {
        const QSignalBlocker block(dial_);
        dial_->setValue(int(std::lround((value_ - min_) * stepsPerUnit_)));
    }
    readout_->setText(NumberText(RoundHalfEven(value_, 2)));
}

void Knob::fromDial(int position) {
    double v = min_ + position / stepsPerUnit_;
    v = std::clamp(RoundHalfEven(v, 6), min_, max_);
    if (v == value_)
        return;
    value_ = v;
    readout_->setText(NumberText(RoundHalfEven(value_, 2)));
    emit valueChanged(value_);
}

} // namespace corvale
