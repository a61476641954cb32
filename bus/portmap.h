#pragma once
// COM port numbers to devices. The settings store's "Ports" section may name
// a device for a number (COM4=/dev/ttyUSB0); otherwise COMn is /dev/ttyS(n-1)
// on Linux and COMn on Windows.

#include <QString>
#include <QStringList>

#include <optional>

namespace corvale {

QString PortDevice(int portNumber);
// Where a number comes from and what it maps to, for the operator: "COM4 is
// /dev/ttyUSB0", a link with the device it points at now, or "(not present)".
QString PortDeviceHint(int portNumber);

// How a device stands now, for the operator: "" (present), "now /dev/ttyUSB0"
// (a link and the device it points at) or "not present".
QString DeviceState(const QString& device);

// The device the store names for COMn, empty when it names none. Answered
// from the map as last read: at first use, after StorePortDevice, and
// whenever ReloadPortMap is called (a port opening, the port dialog).
QString StoredPortDevice(int portNumber);
// Reads the store's "Ports" section again.
void ReloadPortMap();
// The device COMn opens when the store names none.
QString DefaultPortDevice(int portNumber);
// Why this text cannot name a device ("" names none and is fine), or nothing.
std::optional<QString> DeviceNameProblem(const QString& device);
// Keeps the device for COMn in the store exactly as given, trimmed: a link
// such as /dev/serial/by-id/... stays a link, so the port opens whatever it
// points at when it opens. Empty removes the entry and the default applies.
// False (nothing stored) for a name DeviceNameProblem refuses.
bool StorePortDevice(int portNumber, const QString& device);
// Serial devices present on this machine.
QStringList AvailableSerialDevices();

// For an open that failed for want of permission ("Permission denied" in
// the system's words, or a device this user may not read and write): how to
// fix it. Empty otherwise.
QString PermissionHint(const QString& device, const QString& systemWords);

// Who may use a device, as the file system says.
struct DeviceAccess {
    QString owner;
    QString group;
    int mode = 0; // permission bits, 0660 = owner and group read and write
};
// The advice for a device this user may not open: the group to join only
// when that group may read and write it (and is not root's); otherwise that
// no group helps, and what does (a udev rule, the administrator). Each
// command stands whole on a line of its own.
QString PermissionAdvice(const QString& device, const DeviceAccess& access);

class SerialPort;
// "Cannot open the <line> COMn (<device>): <the system's words>", with the
// permission hint when it applies.
QString PortOpenFailureText(const QString& line, const SerialPort& port);

} // namespace corvale
