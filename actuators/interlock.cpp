#include "actuators/interlock.h"

#include "actuators/profiler.h"
#include "core/state.h"
#include "widgets/indicatorlamp.h"
#include "widgets/togglebutton.h"

namespace corvale {

LampInterlock::LampInterlock(const std::array<IndicatorLamp*, 2>& lamps, const StationState& state,
                             ToggleButton* up, ToggleButton* down, ProfilerControl& profiler)
    : state_(state), up_(up), down_(down), profiler_(profiler) {
    for (IndicatorLamp* lamp : lamps)
        connect(lamp, &IndicatorLamp::valueChanged, this, &LampInterlock::LampChanged);
}

void LampInterlock::LampChanged() {
    Gate(state_.UpPermitted, up_);
    Gate(state_.DownPermitted, down_);
    // Stopping the down drive frees the up direction; without its permit it
    // must stay locked, or the carriage could be driven past the end stop.
    if (!state_.UpPermitted)
        up_->setEnabled(false);
}

void LampInterlock::Gate(bool permitted, ToggleButton* direction) {
    if (permitted) {
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
