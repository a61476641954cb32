#include "actuators/profiler.h"

#include "core/bussession.h"
#include "core/modulemap.h"
#include "ui/widgets/togglebutton.h"

namespace corvale {

ProfilerControl::ProfilerControl(ToggleButton* power, ToggleButton* up, ToggleButton* down,
                                 BusSession& bus)
    : power_(power), up_(up), down_(down), bus_(bus) {
    connect(power_, &ToggleButton::valueChanged, this, &ProfilerControl::PowerChanged);
    connect(up_, &ToggleButton::valueChanged, this, &ProfilerControl::UpChanged);
    connect(down_, &ToggleButton::valueChanged, this, &ProfilerControl::DownChanged);
}

void ProfilerControl::PowerChanged() {
    const bool on = power_->value();
    bus_.enqueue([this, on] { return SwitchPower(on); });
    emit powerSwitched(on);
}

BusTask<> ProfilerControl::SwitchPower(bool on) {
    if (on)
        co_await bus_.modules().ClearPosition(modules::kDigitalIo, modules::kProfilerRelay);
    else
        co_await bus_.modules().SetPosition(modules::kDigitalIo, modules::kProfilerRelay);
}

void ProfilerControl::UpChanged() {
    Drive(up_, down_, QStringLiteral("+"));
}

void ProfilerControl::DownChanged() {
    Drive(down_, up_, QStringLiteral("-"));
}

void ProfilerControl::Drive(ToggleButton* button, ToggleButton* other, const QString& sign) {
    if (button->value()) {
        other->setEnabled(false);
        bus_.enqueue([this, sign] { return SendDrive(sign, modules::kProfilerDriveValue); });
        emit driven(button == up_ ? 1 : -1);
        return;
    }
    button->setValue(false);
    // The stop keeps the sign of the direction it ends.
    bus_.enqueue([this, sign] { return SendDrive(sign, modules::kProfilerStopValue); });
    other->setEnabled(true);
    emit driven(0);
}

BusTask<> ProfilerControl::SendDrive(QString sign, QString value) {
    co_await bus_.modules().SetAnalogOutput(modules::kProfilerDrive, sign, value);
}

} // namespace corvale
