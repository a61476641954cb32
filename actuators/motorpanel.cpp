#include "actuators/motorpanel.h"

#include "bus/bussession.h"
#include "bus/modulemap.h"
#include "core/textnum.h"
#include "widgets/numericbox.h"
#include "widgets/slide.h"
#include "widgets/togglebutton.h"

namespace corvale {

MotorPanel::MotorPanel(ToggleButton* power, Slide* speed, NumericBox* entry, BusSession& bus,
                       const QString& relayPosition, const QString& speedAddress)
    : power_(power), speed_(speed), entry_(entry), bus_(bus), relayPosition_(relayPosition),
      speedAddress_(speedAddress) {
    connect(power_, &ToggleButton::valueChanged, this, &MotorPanel::PowerChanged);
    connect(speed_, &Slide::valueChanged, this, &MotorPanel::SpeedChanged);
    connect(entry_, &NumericBox::valueChanged, this, &MotorPanel::EntryChanged);
}

void MotorPanel::PowerChanged() {
    const bool on = power_->value();
    bus_.enqueue([this, on] { return SwitchPower(on); });
}

BusTask<> MotorPanel::SwitchPower(bool on) {
    // The relay output is cleared to switch the motor on.
    // (No co_await inside ?: here: GCC 12 destroys its result twice.)
    BusExchange x;
    if (on)
        x = co_await bus_.modules().ClearPosition(modules::kDigitalIo, relayPosition_);
    else
        x = co_await bus_.modules().SetPosition(modules::kDigitalIo, relayPosition_);
    if (x.status != BusExchange::Status::Closed)
        emit powerSwitched(on, x.closedAt);
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
