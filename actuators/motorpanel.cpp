#include "actuators/motorpanel.h"

#include "bus/bussession.h"
#include "bus/modulemap.h"
#include "core/textnum.h"
#include "widgets/numericbox.h"
#include "widgets/slide.h"

namespace corvale {

MotorPanel::MotorPanel(ToggleButton* power, Slide* speed, NumericBox* entry, BusSession& bus,
                       const QString& relayPosition, const QString& speedAddress)
    : speed_(speed), entry_(entry), bus_(bus), speedAddress_(speedAddress),
      relay_(power, bus, relayPosition) {
    connect(&relay_, &RelayPower::switched, this, &MotorPanel::powerSwitched);
    connect(speed_, &Slide::valueChanged, this, &MotorPanel::SpeedChanged);
    connect(entry_, &NumericBox::valueChanged, this, &MotorPanel::EntryChanged);
}

void MotorPanel::SpeedChanged() {
    entry_->setValue(speed_->value());
    const double value = speed_->value();
    bus_.enqueue([this, value] { return SendSpeed(value); },
                 QStringLiteral("speed:") + speedAddress_);
}

BusTask<> MotorPanel::SendSpeed(double value) {
    // The wire takes a period whatever the regional settings.
    const BusExchange x = co_await bus_.modules().SetAnalogOutput(
        speedAddress_, QStringLiteral("+"), WireNumberText(value));
    if (x.status != BusExchange::Status::Closed)
        emit speedSet(value, x.closedAt);
}

void MotorPanel::EntryChanged() {
    speed_->setValue(entry_->value());
    // A value beyond the slide's scale leaves the slide at its limit; the box
    // shows what the slide holds, which is the value the module was sent.
    if (entry_->value() != speed_->value())
        entry_->setValue(speed_->value());
}

} // namespace corvale
