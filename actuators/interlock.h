#pragma once
// The profiler interlock: lamp 0 gates the up direction, lamp 1 the down
// direction. On a change of either lamp both are re-evaluated, up first: a
// lamp that is off stops its direction and disables it; a lamp that is on
// re-enables its direction without restarting it. A direction whose lamp is
// off is left locked even when stopping the other direction freed it.

#include <QObject>
#include <array>

namespace corvale {

class IndicatorLamp;
class ProfilerControl;
class ToggleButton;

class LampInterlock : public QObject {
    Q_OBJECT
public:
    LampInterlock(const std::array<IndicatorLamp*, 2>& lamps, ToggleButton* up, ToggleButton* down,
                  ProfilerControl& profiler);

    void LampChanged();

private:
    void Gate(const IndicatorLamp* lamp, ToggleButton* direction);

    std::array<IndicatorLamp*, 2> lamps_;
    ToggleButton* up_;
    ToggleButton* down_;
    ProfilerControl& profiler_;
};

} // namespace corvale
