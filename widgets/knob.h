#pragma once
// A dial with a double value, a caption and a scale readout.
// A value written beyond the scale ends at the scale's limit. The operator
// turns the dial in hundredths of the unit; the readout shows two decimals.

#include <QWidget>

class QDial;
class QLabel;

namespace corvale {

class Knob : public QWidget {
    Q_OBJECT
public:
    Knob(const QString& name, const QString& caption, double minimum, double maximum,
         QWidget* parent = nullptr);
    double value() const { return value_; }
    void setValue(double v);
    double minimum() const { return min_; }
    double maximum() const { return max_; }
    QString readout() const; // the text the scale readout shows
    QDial* dial() const { return dial_; }
signals:
    void valueChanged(double value);

private:
    void fromDial(int position);
    void showValue();
    QDial* dial_;
    QLabel* readout_;
    double min_;
    double max_;
    double value_;
    double stepsPerUnit_; // dial positions per unit of the knob's value
};

} // namespace corvale
