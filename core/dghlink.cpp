#include "core/dghlink.h"

#include "core/textnum.h"

#include <cmath>

namespace corvale {

namespace {
const QChar kCR(13);
}

void DghLink::SendCommand(const QString& line) {
    if (port_.isOpen()) {
        port_.write(line.toLatin1());
        return;
    }
    op_.message(QStringLiteral("Port Not open"), QStringLiteral("Port Failure"));
}

QString FrameReply(const QByteArray& received) {
    QString reply;
    bool started = false;
    for (const char raw : received) {
        const QChar c(static_cast<unsigned char>(raw) & 0x7f);
        if (c == QLatin1Char('?') || c == QLatin1Char('*')) {
            reply = QString(c);
            started = true;
        } else if (started) {
            reply += c;
        }
    }
    if (reply.endsWith(kCR)) {
        reply.chop(1);
        return reply;
    }
    return QStringLiteral("TIMEOUT");
}

QString DghLink::ReadReply() {
    if (!port_.isOpen())
        return QString();
    port_.setReadLength(1);
    Delay(kReplyWaitMs);
    QByteArray received;
    while (port_.charactersWaiting() > 0) {
        const QByteArray one = port_.read();
        if (one.isEmpty())
            break;
        received += one;
    }
    return FrameReply(received);
}

void DghLink::Delay(float ms) {
    const auto whole = static_cast<std::int32_t>(std::trunc(ms));
    const std::int32_t end = static_cast<std::int32_t>(static_cast<std::uint32_t>(clock_.ticks()) +
                                                       static_cast<std::uint32_t>(whole));
    // Measured as a wrapping distance, so the wait ends also when the tick
    // count passes the largest signed value or changes sign.
    while (TicksUntil(clock_.ticks(), end) > 0)
        clock_.sleepUntil(end);
}

void ModuleOps::SetPosition(const QString& address, const QString& position) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("SP") + position + kCR);
    if (!IsValidReply(link_.ReadReply()))
        link_.operatorUi().message(QStringLiteral("No valid return from SetPosition"));
}

void ModuleOps::ClearPosition(const QString& address, const QString& position) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("CP") + position + kCR);
    if (!IsValidReply(link_.ReadReply()))
        link_.operatorUi().message(QStringLiteral("No valid return from ClearPosition"));
}

void ModuleOps::SetAnalogOutput(const QString& address, const QString& sign, const QString& value) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("AO") + sign +
                      FormatAnalogValue(value) + kCR);
    link_.ReadReply();
}

QString ModuleOps::ReadData(const QString& address) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("RD") + kCR);
    return link_.ReadReply();
}

} // namespace corvale
