#include "actuators/profiler.h"

#include "bus/bussession.h"
#include "bus/modulemap.h"
#include "widgets/togglebutton.h"

namespace corvale {

ProfilerControl::ProfilerControl(ToggleButton* power, ToggleButton* up, ToggleButton* down,
                                 BusSession& bus)
    : up_(up), down_(down), bus_(bus), relay_(power, bus, modules::kProfilerRelay) {
    connect(&relay_, &RelayPower::switched, this, &ProfilerControl::powerSwitched);
    connect(up_, &ToggleButton::valueChanged, this, &ProfilerControl::UpChanged);
    connect(down_, &ToggleButton::valueChanged, this, &ProfilerControl::DownChanged);
}

void ProfilerControl::StopAtEndStop(ToggleButton* direction) {
    endStop_ = true;
    direction->setValue(false);
    endStop_ = false;
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
        bus_.enqueue([this, sign] { return SendDrive(sign, modules::kProfilerDriveValue); },
                     DriveKey(sign));
        return;
    }
    button->setValue(false);
    // The stop keeps the sign of the direction it ends.
    auto stop = [this, sign] { return SendDrive(sign, modules::kProfilerStopValue); };
    if (endStop_)
        bus_.enqueueSafety(stop, DriveKey(sign));
    else
        bus_.enqueue(stop, DriveKey(sign));
    other->setEnabled(true);
}

BusTask<> ProfilerControl::SendDrive(QString sign, QString value) {
    const BusExchange x =
        co_await bus_.modules().SetAnalogOutput(modules::kProfilerDrive, sign, value);
    if (x.status == BusExchange::Status::Closed)
        co_return;
    const int direction = value == modules::kProfilerStopValue ? 0
                          : sign == QLatin1String("+")         ? 1
                                                               : -1;
    emit driven(direction, x.closedAt);
}

} // namespace corvale
