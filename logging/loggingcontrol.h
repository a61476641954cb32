#pragma once
// Logging control: shows the logger window, runs its OK (start) action and
// Stop Logging, writes one record per tmrlogger tick, owns the open log file
// and writes status-bar panel 1.

#include "archive/rawarchive.h"
#include "bus/dghlink.h"
#include "logging/frmlogbf2.h"
#include "logging/logfile.h"
#include "widgets/statusbar.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QAction;
class QWidget;

namespace corvale {

class Clock;
class Operator;
class StationTimer;
struct StationState;

struct LoggingView {
    QAction* mnuStart;
    QAction* mnuStop;
    StationTimer* tmrlogger;
    QWidget* parentWindow; // the logger window's parent
};

class LoggingControl : public QObject {
    Q_OBJECT
public:
    LoggingControl(const LoggingView& view, StatusPanel panel, StationState& state, Clock& clock,
                   Operator& op);
    ~LoggingControl() override;

    void showLogger();  // "Start Logging", toolbar "start"
    void stopLogging(); // "Stop Logging", toolbar "stop"

    // The logger window while it exists (created by the first showLogger).
    frmLogBF2* logger() const { return dialog_; }
    bool fileOpen() const { return file_ && file_->isOpen(); }

    // The raw archive, open while logging to a file with it chosen.
    RawArchive& archive() { return archive_; }
    void archiveCtdLine(const QByteArray& line, CtdLineStatus status);
    void archiveBusExchange(const BusExchange& exchange);
    // A line down or back (reconnect on): line "DGH" or "CTD". Kept whether
    // or not bus lines are, so an archive shows every gap.
    void archiveLink(bool up, const QByteArray& line, const QString& why);

signals:
    // Logging to a file began (the log file's full path) or ended.
    void loggingStarted(const QString& logFile);
    void loggingStopped();

private:
    void StartAction();
    void LoggerTick();
    void recordFailed(const QString& error);
    bool OpenNewFile(LogFile::Mode mode);
    void OpenArchive(LogFile::Mode mode);

    LoggingView v_;
    StatusPanel panel_;
    StationState& state_;
    Clock& clock_;
    Operator& op_;
    QPointer<frmLogBF2> dialog_;
    std::unique_ptr<LogFile> file_;
    RawArchive archive_;
    bool archiveBus_ = false;
};

} // namespace corvale
