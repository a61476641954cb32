#include "actuators/motorpanel.h"

#include "core/dghlink.h"
#include "core/textnum.h"
#include "ui/widgets/numericbox.h"
#include "ui/widgets/slide.h"
#include "ui/widgets/togglebutton.h"

namespace corvale {

MotorPanel::MotorPanel(ToggleButton* power, Slide* speed, NumericBox* entry, ModuleOps& modules,
                       const QString& relayPosition, const QString& speedAddress)
    : power_(power), speed_(speed), entry_(entry), modules_(modules), relayPosition_(relayPosition),
      speedAddress_(speedAddress) {
    connect(power_, &ToggleButton::valueChanged, this, &MotorPanel::PowerChanged);
    connect(speed_, &Slide::valueChanged, this, &MotorPanel::SpeedChanged);
    connect(entry_, &NumericBox::valueChanged, this, &MotorPanel::EntryChanged);
}

void MotorPanel::PowerChanged() {
    // The relay output is cleared to switch the motor on.
    if (power_->value())
        modules_.ClearPosition(QStringLiteral("9"), relayPosition_);
    else
        modules_.SetPosition(QStringLiteral("9"), relayPosition_);
}

void MotorPanel::SpeedChanged() {
    entry_->setValue(speed_->value());
    // The wire takes a period whatever the regional settings.
    modules_.SetAnalogOutput(speedAddress_, QStringLiteral("+"), WireNumberText(speed_->value()));
}

void MotorPanel::EntryChanged() {
    speed_->setValue(entry_->value());
    // A value beyond the slide's scale leaves the slide at its limit; the box
    // shows what the slide holds, which is the value the module was sent.
    if (entry_->value() != speed_->value())
        entry_->setValue(speed_->value());
}

} // namespace corvale
