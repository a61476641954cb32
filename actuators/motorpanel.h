#pragma once
// One motor panel (thruster or wave generator): the power toggle switches the
// relay on the digital module, the slide sets the speed on the panel's
// analog output, and the numeric box moves the slide. A value typed into the
// box reaches the module once, through the slide. Commands are queued on the
// bus in the order the operator gave them; a speed still waiting for the bus
// is replaced by a newer one, so the last value is the one on the wire.

#include "actuators/relaypower.h"
#include "bus/bustask.h"

#include <QDateTime>
#include <QObject>
#include <QString>

namespace corvale {

class BusSession;
class NumericBox;
class Slide;
class ToggleButton;

class MotorPanel : public QObject {
    Q_OBJECT
public:
    // relayPosition: modules::kThrusterRelay or kWaveRelay; speedAddress:
    // modules::kThrusterSpeedOut or kWaveSpeedOut.
    MotorPanel(ToggleButton* power, Slide* speed, NumericBox* entry, BusSession& bus,
               const QString& relayPosition, const QString& speedAddress);

    void SpeedChanged();
    void EntryChanged();

signals:
    // The operator's actions as they went on the wire, each stamped when
    // its reply window closed. A speed replaced while it waited never went.
    void powerSwitched(bool on, const QDateTime& at);
    void speedSet(double value, const QDateTime& at);

private:
    BusTask<> SendSpeed(double value);

    Slide* speed_;
    NumericBox* entry_;
    BusSession& bus_;
    QString speedAddress_;
    RelayPower relay_;
};

} // namespace corvale
