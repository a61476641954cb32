#include "ctd/ctdpanel.h"

#include "bus/portmap.h"
#include "core/clock.h"
#include "core/operator.h"
#include "core/state.h"
#include "widgets/togglebutton.h"

#include <QLabel>

namespace corvale {

CtdPanel::CtdPanel(const CtdPanelView& view, SerialPort& port, Operator& op, StationState& state,
                   Clock& clock)
    : v_(view), port_(port), op_(op), state_(state),
      stream_(
          state, [&clock] { return clock.now(); }, [this] { showReadings(); }) {
    stream_.setLineHandler(
        [this](const QByteArray& line, CtdLineStatus status) { emit lineReceived(line, status); });
    connect(v_.cwCTDflag, &ToggleButton::valueChanged, this, &CtdPanel::onToggle);
    connect(&port_, &SerialPort::received, this, &CtdPanel::onReceived);
    connect(&port_, &SerialPort::lost, this, &CtdPanel::onLost);
}

QString CtdPanel::OpenFailureText(const SerialPort& port, SerialPort::OpenError error) {
    QString reason = port.errorText();
    if (reason.isEmpty()) {
        switch (error) {
        case SerialPort::OpenError::NoSuchPort:
            reason = QStringLiteral("the port does not exist");
            break;
        case SerialPort::OpenError::PortInUse:
            reason = QStringLiteral("the port is already in use");
            break;
        default:
            reason = QStringLiteral("the port could not be opened");
            break;
        }
    }
    QString text =
        QStringLiteral("Cannot open the CTD port COM%1: %2").arg(port.portNumber()).arg(reason);
    const QString hint = PermissionHint(port.deviceName(), reason);
    if (!hint.isEmpty())
        text += QLatin1Char('\n') + hint;
    return text;
}

void CtdPanel::onToggle(bool on) {
    SerialPort& port = port_;
    if (!on) {
        if (port.isOpen())
            port.close();
        return;
    }
    if (port.isOpen())
        return;
    const SerialPort::OpenError result = port.open();
    if (result == SerialPort::OpenError::None) {
        emit opened();
        return;
    }
    // The toggle says off again before the operator reads why, so the panel
    // never claims a stream that is not there.
    const QString text = OpenFailureText(port, result);
    v_.cwCTDflag->setValue(false);
    op_.message(text);
}

void CtdPanel::onReceived() {
    SerialPort& port = port_;
    // Take what is waiting now; characters that arrive meanwhile raise a
    // later receive event.
    int left = port.charactersWaiting();
    while (left > 0) {
        const QByteArray chars = port.read();
        if (chars.isEmpty())
            break;
        left -= static_cast<int>(chars.size());
        stream_.feed(chars);
    }
}

void CtdPanel::onLost() {
    // The line is gone (cable pulled, adapter unplugged): say so, and let the
    // toggle stop claiming a stream. The readings keep their last values.
    if (!v_.cwCTDflag->value())
        return;
    SerialPort& port = port_;
    const QString reason = port.errorText();
    v_.cwCTDflag->setValue(false);
    op_.message(
        QStringLiteral("The CTD port COM%1 was lost%2. CTD readings keep their last values.")
            .arg(port.portNumber())
            .arg(reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
}

void CtdPanel::showReadings() {
    const auto texts = CtdLabelTexts(state_);
    v_.lblConduct->setText(texts[0]);
    v_.lblTemp->setText(texts[1]);
    v_.lblPress->setText(texts[2]);
    v_.lblSalinity->setText(texts[3]);
    emit recordApplied();
}

} // namespace corvale
