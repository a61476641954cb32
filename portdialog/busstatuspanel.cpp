#include "portdialog/busstatuspanel.h"

#include "bus/portmap.h"
#include "portdialog/commsettings.h"

namespace corvale {

BusStatusPanel::BusStatusPanel(BusSession& bus, StatusPanel panel) : bus_(bus), panel_(panel) {
    connect(&bus_, &BusSession::stateChanged, this, &BusStatusPanel::show);
    // A port that went away is closed from that moment, as panel 5 says,
    // even before the boxes of the next poll are answered.
    connect(&bus_, &BusSession::portLost, this, [this] {
        if (bus_.state() != BusSession::State::Down)
            show(BusSession::State::Closed);
    });
}

void BusStatusPanel::show(BusSession::State state) {
    const SerialPort& port = bus_.port();
    switch (state) {
    case BusSession::State::Running:
        panel_.setText(DghStatusText(port.portNumber(), SplitSettings(port.settings())));
        panel_.showGreen();
        break;
    case BusSession::State::Closed:
        panel_.showRed();
        panel_.setText(QStringLiteral("Comm port closed"));
        break;
    case BusSession::State::Down:
        // Said once here, without a box, while the line is tried again.
        panel_.showRed();
        panel_.setText(QStringLiteral("Comm port down: %1 (reconnecting every %2 s)")
                           .arg(bus_.downReason())
                           .arg(BusSession::kReconnectMs / 1000));
        break;
    case BusSession::State::Idle:
        break;
    }
    const QString device = port.deviceName();
    panel_.setToolTip(
        device.isEmpty()
            ? QString()
            : QStringLiteral("DGH bus: COM%1 is %2").arg(port.portNumber()).arg(device));
}

} // namespace corvale
