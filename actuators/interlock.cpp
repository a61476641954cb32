#include "actuators/interlock.h"

#include "ui/widgets/indicatorlamp.h"
#include "ui/widgets/togglebutton.h"

LampInterlock::LampInterlock(const std::array<IndicatorLamp*, 2>& lamps, ToggleButton* up,
                             ToggleButton* down)
    : lamps_(lamps), up_(up), down_(down) {
    for (IndicatorLamp* lamp : lamps_)
        connect(lamp, &IndicatorLamp::valueChanged, this, &LampInterlock::LampChanged);
}

void LampInterlock::LampChanged() {
    Gate(lamps_[0], up_);
    Gate(lamps_[1], down_);
}

void LampInterlock::Gate(const IndicatorLamp* lamp, ToggleButton* direction) {
    if (lamp->value()) {
        direction->setEnabled(true);
        return;
    }
    // Switching off runs the direction's own handler, which stops the drive
    // and frees the other direction; then this direction is locked.
    direction->setValue(false);
    direction->setEnabled(false);
}
