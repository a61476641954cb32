#pragma once
// Shows the pH calibration window and runs its save step against the
// station's calibration in memory and the main window's lblpHdata.

#include "calibration/frmphcal.h"

#include <QObject>
#include <QPointer>

namespace corvale {

class frmMain;

class CalibrationControl : public QObject {
    Q_OBJECT
public:
    explicit CalibrationControl(frmMain& main) : main_(main) {}

    void showCalibration(); // "Enter Calibration values", toolbar "cal"
    frmpHcal* dialog() const { return dialog_; }

private:
    void SaveStep();

    frmMain& main_;
    QPointer<frmpHcal> dialog_;
};

} // namespace corvale
