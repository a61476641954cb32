#pragma once
// The vertical profiler: cwVP switches its power relay; the two direction
// buttons drive its analog output up (+) or down (-) while on and stop it
// when switched off, each locking the other out. The lock-out takes effect
// at once, while the command waits its turn on the bus, so the other
// direction cannot be started in between.

#include "core/bustask.h"

#include <QObject>
#include <QString>

namespace corvale {

class BusSession;
class ToggleButton;

class ProfilerControl : public QObject {
    Q_OBJECT
public:
    ProfilerControl(ToggleButton* power, ToggleButton* up, ToggleButton* down, BusSession& bus);

    void PowerChanged();
    void UpChanged();
    void DownChanged();

signals:
    // The operator's actions (and the interlock's stops), as queued.
    void powerSwitched(bool on);
    // +1 up, -1 down, 0 stop.
    void driven(int direction);

private:
    void Drive(ToggleButton* button, ToggleButton* other, const QString& sign);
    BusTask<> SwitchPower(bool on);
    BusTask<> SendDrive(QString sign, QString value);

    ToggleButton* power_;
    ToggleButton* up_;
    ToggleButton* down_;
    BusSession& bus_;
};

} // namespace corvale
