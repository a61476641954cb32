#pragma once
// Shows the pH calibration window and runs its save step against the
// station's calibration in memory and the calibration summary label.

#include "calibration/frmphcal.h"

#include <QObject>
#include <QPointer>

class QLabel;

namespace corvale {

class Operator;
struct StationState;

class CalibrationControl : public QObject {
    Q_OBJECT
public:
    CalibrationControl(QLabel* lblpHdata, StationState& state, Operator& op, QWidget* parentWindow)
        : lblpHdata_(lblpHdata), state_(state), op_(op), parentWindow_(parentWindow) {}

    void showCalibration(); // "Enter Calibration values", toolbar "cal"
    frmpHcal* dialog() const { return dialog_; }

private:
    void SaveStep();

    QLabel* lblpHdata_;
    StationState& state_;
    Operator& op_;
    QWidget* parentWindow_;
    QPointer<frmpHcal> dialog_;
};

} // namespace corvale
