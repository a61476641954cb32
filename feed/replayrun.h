#pragma once
// A run that plays a raw archive back (the simulator's --replay): its marks
// come back on the charts as the replay arrives on the CTD line, a panel of
// the status bar says "Replay" and how far it has come, and the ship feed
// sends nothing unless the operator lets this replay out, each sentence
// then marked as replayed and timed as recorded.

#include "feed/replaymarks.h"

#include <QObject>
#include <memory>

namespace corvale {

class EventMarks;
class Operator;
class ShipFeed;
class StationFeed;
class StationStatusBar;

class ReplayRun : public QObject {
    Q_OBJECT
public:
    ReplayRun(EventMarks& marks, ShipFeed& feed, StationFeed& stationFeed, StationStatusBar& bar,
              Operator& op, QObject* parent = nullptr);
    ~ReplayRun() override;

    // Starts following `archive`; false, with the reason, when it cannot be
    // read (nothing of the run changes then).
    bool start(const QString& archive, QString* error = nullptr);
    // One CTD line received; nothing while no replay runs.
    void lineReceived();

    bool active() const { return marks_ != nullptr; }
    // The archive has been read to its end.
    bool scanned() const { return marks_ && !marks_->scanning(); }
    // The main window's title during the replay.
    QString title() const { return title_; }

private:
    void showProgress();

    EventMarks& eventMarks_;
    ShipFeed& feed_;
    StationFeed& stationFeed_;
    StationStatusBar& bar_;
    Operator& op_;
    std::unique_ptr<ReplayMarks> marks_;
    QString archive_;
    QString title_;
    int panel_ = 0; // status-bar panel of the replay, 0 while none
};

} // namespace corvale
