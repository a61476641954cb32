#include "actuators/motorpanel.h"

#include "core/bussession.h"
#include "core/modulemap.h"
#include "core/textnum.h"
#include "ui/widgets/numericbox.h"
#include "ui/widgets/slide.h"
#include "ui/widgets/togglebutton.h"

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
    emit powerSwitched(on);
}

BusTask<> MotorPanel::SwitchPower(bool on) {
    // The relay output is cleared to switch the motor on.
    if (on)
        co_await bus_.modules().ClearPosition(modules::kDigitalIo, relayPosition_);
    else
        co_await bus_.modules().SetPosition(modules::kDigitalIo, relayPosition_);
}

void MotorPanel::SpeedChanged() {
    entry_->setValue(speed_->value());
    // The wire takes a period whatever the regional settings.
    const QString value = WireNumberText(speed_->value());
    bus_.enqueue([this, value] { return SendSpeed(value); },
                 QStringLiteral("speed:") + speedAddress_);
    emit speedSet(speed_->value());
}

BusTask<> MotorPanel::SendSpeed(QString value) {
    co_await bus_.modules().SetAnalogOutput(speedAddress_, QStringLiteral("+"), value);
}

void MotorPanel::EntryChanged() {
    speed_->setValue(entry_->value());
    // A value beyond the slide's scale leaves the slide at its limit; the box
    // shows what the slide holds, which is the value the module was sent.
    if (entry_->value() != speed_->value())
        entry_->setValue(speed_->value());
}

} // namespace corvale
