#pragma once
// The vertical profiler: cwVP switches its power relay; the two direction
// buttons drive its analog output up (+) or down (-) while on and stop it
// when switched off, each locking the other out. The lock-out takes effect
// at once, while the command waits its turn on the bus, so the other
// direction cannot be started in between.

#include "actuators/relaypower.h"
#include "bus/bustask.h"

#include <QDateTime>
#include <QObject>
#include <QString>

namespace corvale {

class BusSession;
class ToggleButton;

class ProfilerControl : public QObject {
    Q_OBJECT
public:
    ProfilerControl(ToggleButton* power, ToggleButton* up, ToggleButton* down, BusSession& bus);

    void UpChanged();
    void DownChanged();
    // The interlock's stop at an end-stop: switches `direction` off, and
    // its STOP goes on the bus before any queued job, taking the place of
    // a drive in that direction that had not gone out yet.
    void StopAtEndStop(ToggleButton* direction);

signals:
    // The operator's actions (and the interlock's stops) as they went on
    // the wire, each stamped when its reply window closed.
    void powerSwitched(bool on, const QDateTime& at);
    // +1 up, -1 down, 0 stop.
    void driven(int direction, const QDateTime& at);

private:
    void Drive(ToggleButton* button, ToggleButton* other, const QString& sign);
    BusTask<> SendDrive(QString sign, QString value);
    static QString DriveKey(const QString& sign) { return QStringLiteral("drive:") + sign; }

    ToggleButton* up_;
    ToggleButton* down_;
    BusSession& bus_;
    RelayPower relay_;
    bool endStop_ = false;
};

} // namespace corvale
