#include "logging/loggingcontrol.h"

#include "widgets/windowfit.h"

#include "core/clock.h"
#include "core/operator.h"
#include "core/state.h"
#include "core/stationtimer.h"
#include "logging/frmlogbf2.h"

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>

namespace corvale {

LoggingControl::LoggingControl(const LoggingView& view, StatusPanel panel, StationState& state,
                               Clock& clock, Operator& op)
    : v_(view), panel_(panel), state_(state), clock_(clock), op_(op),
      file_(std::make_unique<LogFile>()) {
    v_.tmrlogger->setHandler([this] { LoggerTick(); });
    // A failing archive is said once and stops itself; the log goes on.
    connect(&archive_, &RawArchive::failed, this, [this](const QString& message) {
        op_.message(message +
                    QStringLiteral("\nThe raw archive has been stopped; logging goes on."));
    });
}

LoggingControl::~LoggingControl() {
    v_.tmrlogger->setHandler({});
    // Each record is already synced; closing at shutdown releases the file.
    if (file_)
        file_->close();
}

void LoggingControl::showLogger() {
    if (!dialog_) {
        dialog_ = new frmLogBF2(state_, op_, v_.parentWindow);
        connect(dialog_, &frmLogBF2::okPressed, this, [this] { StartAction(); });
        // The close box destroys the window; the next Start Logging makes a new one.
        connect(dialog_, &frmLogBF2::closedByOperator, this, [this] { dialog_.clear(); });
        CentreOver(dialog_, v_.parentWindow);
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
    // A sync that fails after its line was written is reported as a failed
    // write is, once it is known.
    next->setFailureHandler([this](const QString& error) { recordFailed(error); });
    QString error;
    bool ok = next->open(state_.LogFileName, mode, &error);
    if (ok && !WriteLogHeader(*next, state_, clock_.now().date(), &error)) {
        next->close();
        ok = false;
    }
    if (!ok) {
        op_.message(error);
        return false;
    }
    QString lastError;
    const bool closed = file_->close(&lastError);
    file_ = std::move(next);
    if (!closed)
        op_.message(lastError);
    return true;
}

void LoggingControl::StartAction() {
    frmLogBF2& dialog = *dialog_;
    const auto interval = dialog.selectedIntervalMs();
    if (!interval && v_.tmrlogger->interval() <= 0) {
        // No interval now and none from an earlier start: no record would
        // ever be written, so nothing starts (no file, no archive) and the
        // Logger stays open for the choice.
        op_.message(QStringLiteral("Please enter a time interval for the log file"));
        panel_.setText(QStringLiteral("Not Logging: no interval chosen"));
        panel_.showRed();
        return;
    }
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
        OpenArchive(mode);
    } else {
        // "No Save": records must not keep going to a file from an earlier run.
        QString error;
        if (!file_->close(&error))
            op_.message(error);
        archive_.close();
    }

    if (interval)
        v_.tmrlogger->setInterval(*interval);
    else
        op_.message(QStringLiteral("Please enter a time interval for the log file"));

    // The message box above runs an event loop; the window may be gone.
    if (dialog_)
        dialog_->hide();
    v_.tmrlogger->setEnabled(true);
    v_.mnuStart->setEnabled(false);
    v_.mnuStop->setEnabled(true);
    panel_.setText(state_.LogFileName);
    panel_.showGreen();
    if (fileOpen())
        emit loggingStarted(state_.LogFileName);
}

void LoggingControl::OpenArchive(LogFile::Mode mode) {
    archive_.close();
    if (!dialog_ || !dialog_->chkRawArchive->isChecked())
        return;
    archiveBus_ = dialog_->chkRawArchiveBus->isChecked();
    QString error;
    if (!archive_.open(RawArchivePath(state_.LogFileName),
                       mode == LogFile::Mode::Append ? RawArchive::Mode::Append
                                                     : RawArchive::Mode::Overwrite,
                       &error))
        op_.message(error + QStringLiteral("\nLogging goes on without the raw archive."));
}

void LoggingControl::archiveCtdLine(const QByteArray& line, CtdLineStatus status) {
    if (archive_.isOpen())
        archive_.appendCtdLine(clock_.now(), line, status);
}

void LoggingControl::archiveBusExchange(const BusExchange& x) {
    if (archiveBus_ && archive_.isOpen())
        archive_.appendBusExchange(x.closedAt, x.line, x.received);
}

void LoggingControl::archiveLink(bool up, const QByteArray& line, const QString& why) {
    if (archive_.isOpen())
        archive_.appendLink(clock_.now(), up, line, why);
}

void LoggingControl::stopLogging() {
    v_.tmrlogger->setEnabled(false);
    QString error;
    const bool closed = file_->close(&error);
    archive_.close();
    panel_.setText(QStringLiteral("Not Logging"));
    panel_.showRed();
    v_.mnuStart->setEnabled(true);
    v_.mnuStop->setEnabled(false);
    emit loggingStopped();
    if (!closed) {
        // The last records' sync failed as the file closed.
        panel_.setText(QStringLiteral("Logging stopped: ") + error);
        op_.message(error + QStringLiteral("\nLogging has been stopped."));
    }
}

void LoggingControl::LoggerTick() {
    QString error;
    if (WriteLogRecord(*file_, state_, clock_.now().time(), &error))
        return;
    recordFailed(error);
}

void LoggingControl::recordFailed(const QString& error) {
    // A record that cannot be written (full disk, file gone): stop rather
    // than tick on silently, and leave the reason where the operator looks.
    stopLogging();
    panel_.setText(QStringLiteral("Logging stopped: ") + error);
    op_.message(error + QStringLiteral("\nLogging has been stopped."));
}

} // namespace corvale
