#pragma once
// A motor's power toggle and its relay on the digital I/O module: each
// change of the toggle is queued on the bus; the relay output is cleared to
// switch the motor on and set to switch it off.

#include "bus/bustask.h"

#include <QDateTime>
#include <QObject>
#include <QString>

namespace corvale {

class BusSession;
class ToggleButton;

class RelayPower : public QObject {
    Q_OBJECT
public:
    // position: modules::kThrusterRelay, kWaveRelay or kProfilerRelay.
    RelayPower(ToggleButton* power, BusSession& bus, const QString& position);

signals:
    // As it went on the wire, stamped when its reply window closed.
    void switched(bool on, const QDateTime& at);

private:
    BusTask<> Switch(bool on);

    BusSession& bus_;
    QString position_;
};

} // namespace corvale
