#include "actuators/profiler.h"

#include "core/dghlink.h"
#include "ui/widgets/togglebutton.h"

namespace corvale {

ProfilerControl::ProfilerControl(ToggleButton* power, ToggleButton* up, ToggleButton* down,
                                 ModuleOps& modules)
    : power_(power), up_(up), down_(down), modules_(modules) {
    connect(power_, &ToggleButton::valueChanged, this, &ProfilerControl::PowerChanged);
    connect(up_, &ToggleButton::valueChanged, this, &ProfilerControl::UpChanged);
    connect(down_, &ToggleButton::valueChanged, this, &ProfilerControl::DownChanged);
}

void ProfilerControl::PowerChanged() {
    if (power_->value())
        modules_.ClearPosition(QStringLiteral("9"), QStringLiteral("03"));
    else
        modules_.SetPosition(QStringLiteral("9"), QStringLiteral("03"));
}

void ProfilerControl::UpChanged() {
    Drive(up_, down_, QStringLiteral("+"));
}

void ProfilerControl::DownChanged() {
    Drive(down_, up_, QStringLiteral("-"));
}

void ProfilerControl::Drive(ToggleButton* button, ToggleButton* other, const QString& sign) {
    if (button->value()) {
        modules_.SetAnalogOutput(QStringLiteral("2"), sign, QStringLiteral("5000"));
        other->setEnabled(false);
        return;
    }
    button->setValue(false);
    // The stop keeps the sign of the direction it ends.
    modules_.SetAnalogOutput(QStringLiteral("2"), sign, QStringLiteral("0"));
    other->setEnabled(true);
}

} // namespace corvale
