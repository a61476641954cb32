#include "calibration/calibrationcontrol.h"

#include "calibration/calstore.h"
#include "calibration/frmphcal.h"
#include "core/operator.h"
#include "core/state.h"

#include "widgets/windowfit.h"

#include <QLabel>

namespace corvale {

void CalibrationControl::showCalibration() {
    if (!dialog_) {
        dialog_ = new frmpHcal(parentWindow_);
        connect(dialog_, &frmpHcal::saveRequested, this, [this] { SaveStep(); });
        connect(dialog_, &frmpHcal::closedByOperator, this, [this] { dialog_.clear(); });
        CentreOver(dialog_, parentWindow_);
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void CalibrationControl::SaveStep() {
    if (!dialog_)
        return;
    const QStringList problems = SaveCalibration(dialog_->texts(), state_);
    lblpHdata_->setText(CalSummary(state_));
    // Reported once the save is complete, so nothing reads a half-saved calibration.
    if (!problems.isEmpty())
        op_.message(problems.join(QLatin1Char('\n')));
}

} // namespace corvale
