#pragma once
// Logging control: shows the logger window, runs its OK (start) action and
// Stop Logging, writes one record per tmrlogger tick, and owns the open log
// file. The pH calibration window hangs off the same controller so that the
// main window keeps one hook for the logging and calibration menus.

#include "calibration/calibrationcontrol.h"
#include "logging/frmlogbf2.h"
#include "logging/logfile.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace corvale {

class frmMain;

class LoggingControl : public QObject {
    Q_OBJECT
public:
    explicit LoggingControl(frmMain& main);
    ~LoggingControl() override;

    void showLogger();  // "Start Logging", toolbar "start"
    void stopLogging(); // "Stop Logging", toolbar "stop"
    void showCalibration() { calibration_.showCalibration(); }

    // The logger window while it exists (created by the first showLogger).
    frmLogBF2* logger() const { return dialog_; }
    bool fileOpen() const { return file_ && file_->isOpen(); }

private:
    void StartAction();
    void LoggerTick();
    bool OpenNewFile(LogFile::Mode mode);

    frmMain& main_;
    QPointer<frmLogBF2> dialog_;
    std::unique_ptr<LogFile> file_;
    CalibrationControl calibration_;
};

} // namespace corvale
