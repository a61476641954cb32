#include "core/portmap.h"

#include "core/serialport.h"
#include "core/store.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace corvale {

QString PortDevice(int portNumber) {
    CORVALE_STORE(store);
    const QString key = QStringLiteral("Ports/COM%1").arg(portNumber);
    const QString mapped = store.value(key).toString().trimmed();
    if (!mapped.isEmpty())
        return mapped;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString PortDeviceHint(int portNumber) {
    const QString device = PortDevice(portNumber);
#ifdef Q_OS_WIN
    const bool exists = true;
#else
    const bool exists = QFileInfo::exists(device);
#endif
    return QStringLiteral("COM%1 is %2%3")
        .arg(portNumber)
        .arg(device, exists ? QString() : QStringLiteral(" (not present)"));
}

QStringList AvailableSerialDevices() {
    QStringList out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        out << info.systemLocation();
    return out;
}

QString PermissionHint(const QString& device, const QString& systemWords) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    Q_UNUSED(systemWords);
    return {};
#else
    const QFileInfo info(device);
    const bool denied = systemWords.contains(QLatin1String("ermission")) ||
                        (info.exists() && (!info.isReadable() || !info.isWritable()));
    if (!denied)
        return {};
    const QString group = info.exists() ? info.group() : QString();
    if (group.isEmpty())
        return QStringLiteral("This user may not use %1. Ask for access to it, then log out "
                              "and log in again.")
            .arg(device);
    return QStringLiteral("%1 belongs to the group \"%2\". Add this user to it "
                          "(sudo usermod -aG %2 $USER), then log out and log in again.")
        .arg(device, group);
#endif
}

QString PortOpenFailureText(const QString& line, const SerialPort& port) {
    const QString device = port.deviceName();
    QString words = port.errorText();
    if (words.isEmpty())
        words = QStringLiteral("the port could not be opened");
    // The port says "device: words"; the device is named once.
    if (!device.isEmpty() && words.startsWith(device + QLatin1String(": ")))
        words = words.mid(device.size() + 2);
    QString text = QStringLiteral("Cannot open the %1 COM%2").arg(line).arg(port.portNumber());
    if (!device.isEmpty())
        text += QStringLiteral(" (%1)").arg(device);
    text += QStringLiteral(": ") + words;
    const QString hint = PermissionHint(device, words);
    if (!hint.isEmpty())
        text += QLatin1Char('\n') + hint;
    return text;
}

} // namespace corvale
