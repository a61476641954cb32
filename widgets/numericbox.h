#pragma once
// A numeric entry box. A typed value counts once, when the operator confirms
// it (Enter or leaving the box), not on every keystroke; values beyond the
// box's range end at its limit.

#include <QDoubleSpinBox>

namespace corvale {

class NumericBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    NumericBox(const QString& name, double minimum, double maximum, int decimals = 0,
               QWidget* parent = nullptr);
    double value() const { return QDoubleSpinBox::value(); }
    void setValue(double v);
signals:
    void valueChanged(double value);
};

} // namespace corvale
