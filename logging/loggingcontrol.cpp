#include "logging/loggingcontrol.h"

#include "logging/frmlogbf2.h"
#include "ui/mainwindow.h"
#include "ui/widgets/statusbar.h"

#include <QAction>
#include <QRadioButton>

namespace corvale {

LoggingControl::LoggingControl(frmMain& main)
    : main_(main), file_(std::make_unique<LogFile>()), calibration_(main) {
    main_.tmrlogger.setHandler([this] { LoggerTick(); });
}

LoggingControl::~LoggingControl() {
    main_.tmrlogger.setHandler({});
    // Each record is already synced; closing at shutdown releases the file.
    if (file_)
        file_->close();
}

void LoggingControl::showLogger() {
    if (!dialog_) {
        dialog_ = new frmLogBF2(main_.state(), main_.platform().operatorUi, &main_);
        connect(dialog_, &frmLogBF2::okPressed, this, [this] { StartAction(); });
        // The close box destroys the window; the next Start Logging makes a new one.
        connect(dialog_, &frmLogBF2::closedByOperator, this, [this] { dialog_.clear(); });
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

// Opens the chosen file and writes its header. A log file already open keeps
// logging until the new one is ready, then it is closed; a failure leaves
// the running state untouched and tells the operator why.
bool LoggingControl::OpenNewFile(LogFile::Mode mode) {
    auto next = std::make_unique<LogFile>();
    QString error;
    bool ok = next->open(main_.state().LogFileName, mode, &error);
    if (ok && !WriteLogHeader(*next, main_.state(), main_.platform().clock.now().date(), &error)) {
        next->close();
        ok = false;
    }
    if (!ok) {
        main_.platform().operatorUi.message(error);
        return false;
    }
    file_->close();
    file_ = std::move(next);
    return true;
}

void LoggingControl::StartAction() {
    frmLogBF2& dialog = *dialog_;
    if (dialog.optDatafile[1]->isChecked()) {
        LogFile::Mode mode;
        if (dialog.optAppend[0]->isChecked())
            mode = LogFile::Mode::Append;
        else if (dialog.optAppend[1]->isChecked())
            mode = LogFile::Mode::Overwrite;
        else
            return;
        if (!OpenNewFile(mode))
            return;
    } else {
        // "No Save": records must not keep going to a file from an earlier run.
        file_->close();
    }

    if (const auto interval = dialog.selectedIntervalMs())
        main_.tmrlogger.setInterval(*interval);
    else
        main_.platform().operatorUi.message(
            QStringLiteral("Please enter a time interval for the log file"));

    // The message box above runs an event loop; the window may be gone.
    if (dialog_)
        dialog_->hide();
    main_.tmrlogger.setEnabled(true);
    main_.mnuStart->setEnabled(false);
    main_.mnuStop->setEnabled(true);
    main_.StatusBar1->setPanelText(1, main_.state().LogFileName);
    main_.StatusBar1->setPanelPicture(1, main_.iconPath(QStringLiteral("greenlight.bmp")));
}

void LoggingControl::stopLogging() {
    main_.tmrlogger.setEnabled(false);
    file_->close();
    main_.StatusBar1->setPanelText(1, QStringLiteral("Not Logging"));
    main_.StatusBar1->setPanelPicture(1, main_.iconPath(QStringLiteral("redlight.bmp")));
    main_.mnuStart->setEnabled(true);
    main_.mnuStop->setEnabled(false);
}

void LoggingControl::LoggerTick() {
    QString error;
    if (WriteLogRecord(*file_, main_.state(), main_.platform().clock.now().time(), &error))
        return;
    // A record that cannot be written (full disk, file gone): stop rather
    // than tick on silently, and leave the reason where the operator looks.
    stopLogging();
    main_.StatusBar1->setPanelText(1, QStringLiteral("Logging stopped: ") + error);
    main_.platform().operatorUi.message(error + QStringLiteral("\nLogging has been stopped."));
}

} // namespace corvale
