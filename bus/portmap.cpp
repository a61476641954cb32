#include "bus/portmap.h"

#include "bus/serialport.h"
#include "core/store.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSerialPortInfo>

namespace corvale {

namespace {
QString PortKey(int portNumber) {
    return QStringLiteral("Ports/COM%1").arg(portNumber);
}

// The "Ports" section as last read. Asked on every exchange and CTD line
// (through the ports' device names), so it is held rather than read from
// the store each time.
struct HeldPortMap {
    QMutex mutex;
    bool loaded = false;
    QHash<int, QString> devices;
};

HeldPortMap& Held() {
    static HeldPortMap held;
    return held;
}

// Caller holds the mutex.
void LoadLocked(HeldPortMap& held) {
    held.devices.clear();
    CORVALE_STORE(store);
    store.beginGroup(QStringLiteral("Ports"));
    for (const QString& key : store.childKeys()) {
        if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int number = key.mid(3).toInt(&ok);
        const QString device = store.value(key).toString().trimmed();
        if (ok && !device.isEmpty())
            held.devices.insert(number, device);
    }
    held.loaded = true;
}
} // namespace

void ReloadPortMap() {
    HeldPortMap& held = Held();
    const QMutexLocker lock(&held.mutex);
    LoadLocked(held);
}

QString StoredPortDevice(int portNumber) {
    HeldPortMap& held = Held();
    const QMutexLocker lock(&held.mutex);
    if (!held.loaded)
        LoadLocked(held);
    return held.devices.value(portNumber);
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
    const bool ok = store.status() == QSettings::NoError;
    ReloadPortMap();
    return ok;
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
    if (!info.exists() || info.group().isEmpty())
        return QStringLiteral("This user may not use %1. Ask the administrator for access to "
                              "it, then log out and log in again.")
            .arg(device);
    // A by-id link: the device it points at carries the rights.
    const QFileInfo target(info.canonicalFilePath().isEmpty() ? device : info.canonicalFilePath());
    const QFileDevice::Permissions p = target.permissions();
    int mode = 0;
    const std::pair<QFileDevice::Permission, int> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200},
        {QFileDevice::ExeOwner, 0100},  {QFileDevice::ReadGroup, 040},
        {QFileDevice::WriteGroup, 020}, {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},
        {QFileDevice::ExeOther, 01}};
    for (const auto& [flag, bit] : bits)
        if (p.testFlag(flag))
            mode |= bit;
    return PermissionAdvice(target.filePath(), {target.owner(), target.group(), mode});
#endif
}

QString PermissionAdvice(const QString& device, const DeviceAccess& access) {
    const bool groupOpens = (access.mode & 060) == 060;
    const QString root = QStringLiteral("root");
    if (groupOpens && !access.group.isEmpty() && access.group != root)
        return QStringLiteral("%1 belongs to the group \"%2\", which may read and write it. "
                              "Add this user to that group:\n"
                              "    sudo usermod -aG %2 $USER\n"
                              "then log out and log in again.")
            .arg(device, access.group);
    const QString modeText = QStringLiteral("%1").arg(access.mode, 3, 8, QLatin1Char('0'));
    return QStringLiteral(
               "No group that this user could join opens %1 (owner %2, group %3, mode %4). "
               "What helps: a udev rule that gives the device to the group dialout, "
               "such as this line in /etc/udev/rules.d/50-serial.rules:\n"
               "    KERNEL==\"%5\", GROUP=\"dialout\", MODE=\"0660\"\n"
               "then plug the device in again (and join dialout, if this user is not in it); "
               "or ask the administrator "
               "for access.")
        .arg(device, access.owner, access.group, modeText, QFileInfo(device).fileName());
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
