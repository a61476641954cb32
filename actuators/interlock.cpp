#include "actuators/interlock.h"

#include "actuators/profiler.h"
#include "widgets/indicatorlamp.h"
#include "widgets/togglebutton.h"

namespace corvale {

LampInterlock::LampInterlock(const std::array<IndicatorLamp*, 2>& lamps, ToggleButton* up,
                             ToggleButton* down, ProfilerControl& profiler)
    : lamps_(lamps), up_(up), down_(down), profiler_(profiler) {
    for (IndicatorLamp* lamp : lamps_)
        connect(lamp, &IndicatorLamp::valueChanged, this, &LampInterlock::LampChanged);
}

void LampInterlock::LampChanged() {
    Gate(lamps_[0], up_);
    Gate(lamps_[1], down_);
    // Stopping the down drive frees the up direction; with its lamp off it
    // must stay locked, or the carriage could be driven past the end stop.
    if (!lamps_[0]->value())
        up_->setEnabled(false);
}

void LampInterlock::Gate(const IndicatorLamp* lamp, ToggleButton* direction) {
    if (lamp->value()) {
        direction->setEnabled(true);
        return;
    }
    // Switching off runs the direction's own handler, which stops the drive
    // (ahead of any queued bus work) and frees the other direction; then
    // this direction is locked.
    profiler_.StopAtEndStop(direction);
    direction->setEnabled(false);
}

} // namespace corvale
