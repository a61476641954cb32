#include "core/portmap.h"

#include "core/serialport.h"
#include "core/store.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace corvale {

namespace {
QString PortKey(int portNumber) {
    return QStringLiteral("Ports/COM%1").arg(portNumber);
}
} // namespace

QString StoredPortDevice(int portNumber) {
    CORVALE_STORE(store);
    return store.value(PortKey(portNumber)).toString().trimmed();
}

QString DefaultPortDevice(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString PortDevice(int portNumber) {
    const QString mapped = StoredPortDevice(portNumber);
    return mapped.isEmpty() ? DefaultPortDevice(portNumber) : mapped;
}

QString DeviceState(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return {};
#else
    const QFileInfo info(device);
    if (!info.exists())
        return QStringLiteral("not present");
    if (info.isSymLink())
        return QStringLiteral("now ") + info.canonicalFilePath();
    return {};
#endif
}

QString PortDeviceHint(int portNumber) {
    const QString device = PortDevice(portNumber);
    const QString state = DeviceState(device);
    return QStringLiteral("COM%1 is %2%3")
        .arg(portNumber)
        .arg(device, state.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(state));
}

std::optional<QString> DeviceNameProblem(const QString& device) {
    const QString name = device.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("A device name has no line breaks or other control characters.");
#ifndef Q_OS_WIN
    if (!name.startsWith(QLatin1Char('/')))
        return QStringLiteral("Give the device's full path, for example /dev/ttyUSB0 or "
                              "/dev/serial/by-id/...; \"%1\" is not one.")
            .arg(name);
    if (name.endsWith(QLatin1Char('/')))
        return QStringLiteral("\"%1\" is a folder, not a device.").arg(name);
#endif
    return std::nullopt;
}

bool StorePortDevice(int portNumber, const QString& device) {
    if (DeviceNameProblem(device))
        return false;
    CORVALE_STORE(store);
    const QString name = device.trimmed();
    if (name.isEmpty())
        store.remove(PortKey(portNumber));
    else
        store.setValue(PortKey(portNumber), name);
    store.sync();
    return store.status() == QSettings::NoError;
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
