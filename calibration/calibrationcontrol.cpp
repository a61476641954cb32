#include "calibration/calibrationcontrol.h"

#include "calibration/calstore.h"
#include "calibration/frmphcal.h"
#include "ui/mainwindow.h"

#include <QLabel>

namespace corvale {

void CalibrationControl::showCalibration() {
    if (!dialog_) {
        dialog_ = new frmpHcal(&main_);
        connect(dialog_, &frmpHcal::saveRequested, this, [this] { SaveStep(); });
        connect(dialog_, &frmpHcal::closedByOperator, this, [this] { dialog_.clear(); });
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void CalibrationControl::SaveStep() {
    if (!dialog_)
        return;
    const QStringList problems = SaveCalibration(dialog_->texts(), main_.state());
    main_.lblpHdata->setText(CalSummary(main_.state()));
    // Reported once the save is complete, so nothing reads a half-saved calibration.
    if (!problems.isEmpty())
        main_.platform().operatorUi.message(problems.join(QLatin1Char('\n')));
}

} // namespace corvale
