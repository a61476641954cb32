#include "core/portmap.h"

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

} // namespace corvale
