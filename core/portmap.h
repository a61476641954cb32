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

} // namespace corvale
