#include "widgets/numericbox.h"

#include <cmath>

namespace corvale {

NumericBox::NumericBox(const QString& name, double minimum, double maximum, int decimals,
                       QWidget* parent)
    : QDoubleSpinBox(parent) {
    setObjectName(name);
    // Typed digits count only once confirmed, so "300" is one change, not
    // three (3, 30, 300).
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setDecimals(decimals);
    if (minimum > maximum)
        std::swap(minimum, maximum);
    setRange(minimum, maximum);
    QDoubleSpinBox::setValue(minimum);
    // The box's own signal already fires only on a real change; pass it on.
    connect(static_cast<QDoubleSpinBox*>(this), &QDoubleSpinBox::valueChanged, this,
            [this](double v) { emit valueChanged(v); });
}

void NumericBox::setValue(double v) {
    if (std::isnan(v))
        return;
    QDoubleSpinBox::setValue(v);
}

} // namespace corvale
