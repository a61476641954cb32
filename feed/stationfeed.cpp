#include "feed/stationfeed.h"

#include "core/clock.h"
#include "core/state.h"
#include "feed/shipfeed.h"

namespace corvale {

StationFeed::StationFeed(ShipFeed& feed, const StationState& state, Clock& clock)
    : feed_(feed), state_(state), clock_(clock) {}

void StationFeed::ctdRecord() {
    if (feed_.enabled())
        send(CtdSentence(now(), state_));
}

void StationFeed::busCycle(const QDateTime& at) {
    if (feed_.enabled())
        send(BusSentence(stamp(at), BusCycleFrom(state_)));
}

void StationFeed::power(Actuator actuator, bool on, const QDateTime& at) {
    if (feed_.enabled())
        send(PowerSentence(stamp(at), actuator, on));
}

void StationFeed::speed(Actuator actuator, double setPoint, const QDateTime& at) {
    if (feed_.enabled())
        send(SpeedSentence(stamp(at), actuator, setPoint));
}

void StationFeed::drive(int direction, const QDateTime& at) {
    if (!feed_.enabled())
        return;
    const ProfilerDrive d = direction > 0   ? ProfilerDrive::Up
                            : direction < 0 ? ProfilerDrive::Down
                                            : ProfilerDrive::Stop;
    send(DriveSentence(stamp(at), d));
}

void StationFeed::mark(const QDateTime& time, int number, const QString& note) {
    // A mark the operator makes during a replay is put at the session's time.
    if (feed_.enabled())
        send(MarkSentence(recordedNow_ ? now() : time, number, note));
}

void StationFeed::setReplay(std::function<QDateTime()> recordedNow) {
    recordedNow_ = std::move(recordedNow);
}

void StationFeed::replayedMark(const QDateTime& recordedTime, int number, const QString& note) {
    if (feed_.enabled())
        send(MarkSentence(recordedTime, number, note));
}

void StationFeed::link(const QString& line, bool up, const QString& why) {
    if (feed_.enabled())
        send(LinkSentence(now(), line, up, why));
}

QDateTime StationFeed::now() const {
    return recordedNow_ ? recordedNow_() : clock_.now();
}

QDateTime StationFeed::stamp(const QDateTime& at) const {
    return recordedNow_ ? recordedNow_() : at;
}

void StationFeed::send(const QString& sentence) {
    feed_.send(recordedNow_ ? ReplayedSentence(sentence) : sentence);
}

} // namespace corvale
