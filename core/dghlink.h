#pragma once
// The DGH module bus: one command line out, a fixed 35 ms wait, then whatever
// has arrived is the reply. The station is the only master on the line.

#include "core/clock.h"
#include "core/operator.h"
#include "core/serialport.h"

#include <QString>

namespace corvale {

class DghLink {
public:
    DghLink(SerialPort& port, Clock& clock, Operator& op) : port_(port), clock_(clock), op_(op) {}

    // Hands the whole line (carriage return included) to the port, or
    // reports "Port Not open" when the bus is closed.
    void SendCommand(const QString& line);
    // The reply to the command just sent: text from the last marker up to
    // its carriage return, "TIMEOUT", or empty text on a closed port.
    QString ReadReply();
    // Waits until the tick count has advanced by the whole part of ms,
    // processing no events.
    void Delay(float ms);

    SerialPort& port() { return port_; }
    Operator& operatorUi() { return op_; }

    static constexpr int kReplyWaitMs = 35;

private:
    SerialPort& port_;
    Clock& clock_;
    Operator& op_;
};

// Framing of a received run of characters, for the link and its tests.
QString FrameReply(const QByteArray& received);

// A reply counts as valid when its first character is "*".
inline bool IsValidReply(const QString& reply) {
    return reply.startsWith(QLatin1Char('*'));
}

// Module operations: one command and its reply each.
class ModuleOps {
public:
    explicit ModuleOps(DghLink& link) : link_(link) {}
    void SetPosition(const QString& address, const QString& position);
    void ClearPosition(const QString& address, const QString& position);
    void SetAnalogOutput(const QString& address, const QString& sign, const QString& value);
    QString ReadData(const QString& address);

    DghLink& link() { return link_; }

private:
    DghLink& link_;
};

} // namespace corvale
