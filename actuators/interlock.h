#pragma once
// The profiler interlock: the up permit (lamp 0) gates the up direction,
// the down permit (lamp 1) the down direction. On a change of either lamp
// both are re-evaluated from the permits, up first: a permit that is off
// stops its direction and disables it; a permit that is on re-enables its
// direction without restarting it. A direction without its permit is left
// locked even when stopping the other direction freed it.

#include <QObject>
#include <array>

namespace corvale {

class IndicatorLamp;
class ProfilerControl;
struct StationState;
class ToggleButton;

class LampInterlock : public QObject {
    Q_OBJECT
public:
    LampInterlock(const std::array<IndicatorLamp*, 2>& lamps, const StationState& state,
                  ToggleButton* up, ToggleButton* down, ProfilerControl& profiler);

    void LampChanged();

private:
    void Gate(bool permitted, ToggleButton* direction);

    const StationState& state_;
    ToggleButton* up_;
    ToggleButton* down_;
    ProfilerControl& profiler_;
};

} // namespace corvale
