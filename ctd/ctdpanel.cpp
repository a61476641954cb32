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
    // The line raises an event per character and reads one at a time.
    port_.setReceiveThreshold(1);
    port_.setReadLength(1);
    stream_.setLineHandler(
        [this](const QByteArray& line, CtdLineStatus status) { emit lineReceived(line, status); });
    connect(v_.cwCTDflag, &ToggleButton::valueChanged, this, &CtdPanel::onToggle);
    connect(&port_, &SerialPort::received, this, &CtdPanel::onReceived);
    connect(&port_, &SerialPort::lost, this, &CtdPanel::onLost);
    retry_.setSingleShot(true);
    retry_.setInterval(kReconnectMs);
    connect(&retry_, &QTimer::timeout, this, &CtdPanel::retry);
}

void CtdPanel::setReconnect(bool on) {
    reconnect_ = on;
    // Turned off while down: the line ends as the failure path leaves it.
    if (!on && down_) {
        retry_.stop();
        v_.cwCTDflag->setValue(false);
    }
}

void CtdPanel::goDown(const QString& reason) {
    if (!down_) {
        down_ = true;
        emit lineDown(QString(reason).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    if (port_.isOpen())
        port_.close();
    retry_.start();
}

void CtdPanel::endOutage(const QString& how) {
    retry_.stop();
    if (!down_)
        return;
    down_ = false;
    emit lineUp(how);
}

void CtdPanel::retry() {
    if (!down_ || !v_.cwCTDflag->value())
        return;
    if (port_.open() != SerialPort::OpenError::None) {
        retry_.start();
        return;
    }
    endOutage(QStringLiteral("the device is back"));
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
        // A line down stays down until it opens again; only the tries stop.
        retry_.stop();
        if (port.isOpen())
            port.close();
        return;
    }
    if (port.isOpen())
        return;
    const SerialPort::OpenError result = port.open();
    if (result == SerialPort::OpenError::None) {
        endOutage(QStringLiteral("opened by the operator"));
        emit opened();
        return;
    }
    if (reconnect_) {
        goDown(OpenFailureText(port, result));
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
    const QString text =
        QStringLiteral("The CTD port COM%1 was lost%2. CTD readings keep their last values.")
            .arg(port.portNumber())
            .arg(reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
    if (reconnect_) {
        goDown(text);
        return;
    }
    v_.cwCTDflag->setValue(false);
    op_.message(text);
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
