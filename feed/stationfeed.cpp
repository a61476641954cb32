#include "feed/stationfeed.h"

#include "core/clock.h"
#include "core/state.h"
#include "feed/shipfeed.h"
#include "ui/widgets/indicatorlamp.h"

namespace corvale {

StationFeed::StationFeed(ShipFeed& feed, const StationState& state, Clock& clock,
                         const std::array<IndicatorLamp*, 2>& lamps)
    : feed_(feed), state_(state), clock_(clock), lamps_(lamps) {}

void StationFeed::ctdRecord() {
    if (feed_.enabled())
        feed_.send(CtdSentence(clock_.now(), state_));
}

void StationFeed::busCycle(const QDateTime& at) {
    if (feed_.enabled())
        feed_.send(BusSentence(at, BusCycleFrom(state_, lamps_[0]->value(), lamps_[1]->value())));
}

void StationFeed::power(Actuator actuator, bool on, const QDateTime& at) {
    if (feed_.enabled())
        feed_.send(PowerSentence(at, actuator, on));
}

void StationFeed::speed(Actuator actuator, double setPoint, const QDateTime& at) {
    if (feed_.enabled())
        feed_.send(SpeedSentence(at, actuator, setPoint));
}

void StationFeed::drive(int direction, const QDateTime& at) {
    if (!feed_.enabled())
        return;
    const ProfilerDrive d = direction > 0   ? ProfilerDrive::Up
                            : direction < 0 ? ProfilerDrive::Down
                                            : ProfilerDrive::Stop;
    feed_.send(DriveSentence(at, d));
}

void StationFeed::mark(const QDateTime& time, int number, const QString& note) {
    if (feed_.enabled())
        feed_.send(MarkSentence(time, number, note));
}

} // namespace corvale
