#pragma once
// What the station tells the ship: one sentence per CTD record, per bus
// cycle and per operator action on an actuator, sent while the feed is on.
// It follows the controllers' signals and formats nothing while off.

#include "feed/sentences.h"

#include <QObject>
#include <functional>

namespace corvale {

class Clock;
class ShipFeed;
struct StationState;

class StationFeed : public QObject {
    Q_OBJECT
public:
    StationFeed(ShipFeed& feed, const StationState& state, Clock& clock);

    void ctdRecord();
    // Each stamped with the time its reply window closed.
    void busCycle(const QDateTime& at);
    void power(Actuator actuator, bool on, const QDateTime& at);
    void speed(Actuator actuator, double setPoint, const QDateTime& at);
    // +1 up, -1 down, 0 stop.
    void drive(int direction, const QDateTime& at);
    void mark(const QDateTime& time, int number, const QString& note);
    // A line ("DGH", "CTD") went down or came back.
    void link(const QString& line, bool up, const QString& why);

    // A replayed session: every sentence carries the session's recorded time
    // (recordedNow) in place of the clock's and says it is replayed.
    void setReplay(std::function<QDateTime()> recordedNow);
    // A mark of the replayed archive, at its recorded time.
    void replayedMark(const QDateTime& recordedTime, int number, const QString& note);

private:
    QDateTime now() const;
    // A bus action's or cycle's time: when its reply window closed, or the
    // session's recorded time in a replay.
    QDateTime stamp(const QDateTime& at) const;
    void send(const QString& sentence);

    ShipFeed& feed_;
    const StationState& state_;
    Clock& clock_;
    std::function<QDateTime()> recordedNow_;
};

} // namespace corvale
