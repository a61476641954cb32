#pragma once
// The serial devices present, as the operator chooses among them: the stable
// names under /dev/serial/by-id (each with the device it points at now) and
// every device the system lists, with description and serial number.

#include <QList>
#include <QString>

namespace corvale {

inline const QString kSerialByIdFolder = QStringLiteral("/dev/serial/by-id");

struct SerialDevice {
    QString path;         // what the store keeps: a by-id link or a device
    QString now;          // the device it is now; empty for a link to nothing
    QString description;  // as the system describes it, may be empty
    QString serialNumber; // may be empty
    bool stable = false;  // a name from the by-id folder
};

// The by-id folder's names first, in name order, then the system's devices.
// A missing or unreadable folder gives no stable names.
QList<SerialDevice> ListSerialDevices(const QString& byIdFolder = kSerialByIdFolder);

// One line for the operator: "/dev/serial/by-id/usb-X (now /dev/ttyUSB0):
// FT232R USB UART, serial A50285BI"; a link to nothing is "(not connected)".
QString DescribeSerialDevice(const SerialDevice& device);

} // namespace corvale
