#pragma once
// COM port numbers to devices. The settings store's "Ports" section may name
// a device for a number (COM4=/dev/ttyUSB0); otherwise COMn is /dev/ttyS(n-1)
// on Linux and COMn on Windows.

#include <QString>
#include <QStringList>

namespace corvale {

QString PortDevice(int portNumber);
// Where a number comes from and what it maps to, for the operator.
QString PortDeviceHint(int portNumber);
// Serial devices present on this machine.
QStringList AvailableSerialDevices();

// For an open that failed for want of permission ("Permission denied" in
// the system's words, or a device this user may not read and write): how to
// fix it, naming the group that owns the device. Empty otherwise.
QString PermissionHint(const QString& device, const QString& systemWords);

class SerialPort;
// "Cannot open the <line> COMn (<device>): <the system's words>", with the
// permission hint when it applies.
QString PortOpenFailureText(const QString& line, const SerialPort& port);

} // namespace corvale
