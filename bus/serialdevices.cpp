#include "bus/serialdevices.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace corvale {

QList<SerialDevice> ListSerialDevices(const QString& byIdFolder) {
    QHash<QString, QSerialPortInfo> known;
    const QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : system)
        known.insert(info.systemLocation(), info);

    QList<SerialDevice> out;
    // System entries: links to devices and links to nothing (a device just
    // unplugged) are listed alike; folders are not.
    const QDir folder(byIdFolder);
    const QFileInfoList entries =
        folder.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        SerialDevice d;
        d.path = entry.absoluteFilePath();
        d.stable = true;
        // Resolved only to say what it is now; the link itself is what is kept.
        d.now = entry.canonicalFilePath();
        if (const auto it = known.constFind(d.now); it != known.constEnd()) {
            d.description = it->description();
            d.serialNumber = it->serialNumber();
        }
        out.append(d);
    }
    for (const QSerialPortInfo& info : system) {
        SerialDevice d;
        d.path = info.systemLocation();
        d.now = d.path;
        d.description = info.description();
        d.serialNumber = info.serialNumber();
        out.append(d);
    }
    return out;
}

QString DescribeSerialDevice(const SerialDevice& device) {
    QString text = device.path;
    if (device.now.isEmpty())
        text += QStringLiteral(" (not connected)");
    else if (device.now != device.path)
        text += QStringLiteral(" (now %1)").arg(device.now);
    QStringList about;
    if (!device.description.isEmpty())
        about << device.description;
    if (!device.serialNumber.isEmpty())
        about << QStringLiteral("serial ") + device.serialNumber;
    if (!about.isEmpty())
        text += QStringLiteral(": ") + about.join(QStringLiteral(", "));
    return text;
}

} // namespace corvale
