#include "ctd/ctdpanel.h"

#include "ui/mainwindow.h"
#include "ui/widgets/togglebutton.h"

#include <QLabel>

namespace corvale {

CtdPanel::CtdPanel(frmMain& window)
    : w_(window), stream_(window.state(), [this] { showReadings(); }) {
    connect(w_.cwCTDflag, &ToggleButton::valueChanged, this, &CtdPanel::onToggle);
    connect(&w_.platform().MSCommCTD, &SerialPort::received, this, &CtdPanel::onReceived);
    connect(&w_.platform().MSCommCTD, &SerialPort::lost, this, &CtdPanel::onLost);
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
    return QStringLiteral("Cannot open the CTD port COM%1: %2").arg(port.portNumber()).arg(reason);
}

void CtdPanel::onToggle(bool on) {
    SerialPort& port = w_.platform().MSCommCTD;
    if (!on) {
        if (port.isOpen())
            port.close();
        return;
    }
    if (port.isOpen())
        return;
    const SerialPort::OpenError result = port.open();
    if (result == SerialPort::OpenError::None)
        return;
    // The toggle says off again before the operator reads why, so the panel
    // never claims a stream that is not there.
    const QString text = OpenFailureText(port, result);
    w_.cwCTDflag->setValue(false);
    w_.platform().operatorUi.message(text);
}

void CtdPanel::onReceived() {
    SerialPort& port = w_.platform().MSCommCTD;
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
    if (!w_.cwCTDflag->value())
        return;
    SerialPort& port = w_.platform().MSCommCTD;
    const QString reason = port.errorText();
    w_.cwCTDflag->setValue(false);
    w_.platform().operatorUi.message(
        QStringLiteral("The CTD port COM%1 was lost%2. CTD readings keep their last values.")
            .arg(port.portNumber())
            .arg(reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
}

void CtdPanel::showReadings() {
    const auto texts = CtdLabelTexts(w_.state());
    w_.lblConduct->setText(texts[0]);
    w_.lblTemp->setText(texts[1]);
    w_.lblPress->setText(texts[2]);
    w_.lblSalinity->setText(texts[3]);
}

} // namespace corvale
