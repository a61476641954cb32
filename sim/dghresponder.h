#pragma once
// The DGH modules of the flume on one bus: a command line in, the module's
// reply out, or nothing when no module has that address.
//   "9"             SP/CP nn (relay positions), DI (four hex digits)
//   "0", "2", "3"   AO sign value (speed set points, profiler drive)
//   "1", "4"        RD motor frequency, Hz
//   "5", "6", "7"   RD motor current
//   "A"             RD pH electrode, mV
// A known module answers an unknown command or a bad value with a "?" reply.

#include "sim/flumemodel.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace corvale {

class DghResponder {
public:
    explicit DghResponder(FlumeModel& model) : model_(model) {}

    // One command line, with or without its carriage return. The reply ends
    // with a carriage return; nullopt means no module answers.
    std::optional<QByteArray> respond(const QByteArray& line);

    // The address a line is meant for, or 0 when it names none.
    static char addressOf(const QByteArray& line);
    static bool isModuleAddress(char address);
    // Splits the complete lines (ended by a carriage return) off the front
    // of `buffer`; the carriage return is not kept. An unended tail stays.
    static QList<QByteArray> takeLines(QByteArray& buffer);
    // A reading as a module sends it: sign and eight characters,
    // "+00123.45"; magnitudes past 99999.99 read as 99999.99.
    static QByteArray readingText(double value);

private:
    FlumeModel& model_;
};

} // namespace corvale
