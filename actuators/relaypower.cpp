#include "actuators/relaypower.h"

#include "bus/bussession.h"
#include "bus/modulemap.h"
#include "widgets/togglebutton.h"

namespace corvale {

RelayPower::RelayPower(ToggleButton* power, BusSession& bus, const QString& position)
    : bus_(bus), position_(position) {
    connect(power, &ToggleButton::valueChanged, this,
            [this](bool on) { bus_.enqueue([this, on] { return Switch(on); }); });
}

BusTask<> RelayPower::Switch(bool on) {
    // (No co_await inside ?: here: GCC 12 destroys its result twice.)
    BusExchange x;
    if (on)
        x = co_await bus_.modules().ClearPosition(modules::kDigitalIo, position_);
    else
        x = co_await bus_.modules().SetPosition(modules::kDigitalIo, position_);
    if (x.status != BusExchange::Status::Closed)
        emit switched(on, x.closedAt);
}

} // namespace corvale
