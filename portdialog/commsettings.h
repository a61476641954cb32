#pragma once
// The DGH port's settings text and the names the port dialog shows for it:
// four comma-separated fields, baud rate, parity letter, data bits, stop
// bits ("19200,n,8,1"), and port names "COM1" to "COM10".

#include <QString>
#include <QStringList>
#include <optional>

namespace corvale {

// The four fields of a settings text; missing fields are empty, extra text
// after the fourth comma stays in the fourth field.
QStringList SplitSettings(const QString& settings);

// "COM1" to "COM10" (exact names) as port numbers 1 to 10.
std::optional<int> PortNumberFromName(const QString& name);
// Port numbers 1 to 10 as "COM1" to "COM10"; empty for any other number.
QString PortNameFromNumber(int number);

// "None" / "n", "Even" / "e", "Odd" / "o", matched without regard to case.
std::optional<QString> ParityLetter(const QString& name);
std::optional<QString> ParityName(const QString& letter);

// Status-bar text of an opened bus: "DGH Settings: COM 4,19200,n,8,1". The
// number carries one leading blank (a sign place) when it is not negative.
QString DghStatusText(int portNumber, const QStringList& fields);

// Caption stored by CommDevice for a device 0 to 3; nothing for others.
std::optional<QString> CommDeviceCaption(int device);

} // namespace corvale
