#include "core/dghlink.h"

#include "core/textnum.h"

#include <cmath>

namespace corvale {

namespace {
const QChar kCR(13);
}

void DghLink::SendCommand(const QString& line) {
    lastLine_ = line.toLatin1();
    if (port_.isOpen()) {
        port_.write(lastLine_);
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

QByteArray DghLink::Drain() {
    QByteArray received;
    while (port_.charactersWaiting() > 0) {
        const QByteArray one = port_.read();
        if (one.isEmpty())
            break;
        received += one;
    }
    return received;
}

BusTask<QString> DghLink::ReadReply() {
    if (!port_.isOpen())
        co_return QString();
    port_.setReadLength(1);
    // The input is drained once, the moment the window closes; characters
    // that arrive later wait for the next reply.
    QByteArray received;
    DelayAwaiter window(*this, kReplyWaitMs, [this, &received] { received = Drain(); });
    co_await window;
    QString reply = FrameReply(received);
    if (exchangeHook_)
        exchangeHook_(lastLine_, received, reply);
    co_return reply;
}

bool DghLink::DelayAwaiter::await_suspend(std::coroutine_handle<> h) {
    const auto whole = static_cast<std::int32_t>(std::trunc(ms_));
    // Measured as a wrapping distance, so the wait ends also when the tick
    // count passes the largest signed value or changes sign.
    const std::int32_t end = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(link_.clock_.ticks()) + static_cast<std::uint32_t>(whole));
    DghLink& link = link_;
    const bool pending = link.clock_.startWait(end, [this, h, &link] {
        if (atEnd_)
            atEnd_();
        if (link.resumer_)
            link.resumer_(h);
        else
            h.resume();
    });
    if (!pending && atEnd_)
        atEnd_();
    return pending;
}

BusTask<> ModuleOps::SetPosition(QString address, QString position) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("SP") + position + kCR);
    const QString reply = co_await link_.ReadReply();
    if (!IsValidReply(reply))
        link_.operatorUi().message(QStringLiteral("No valid return from SetPosition"));
}

BusTask<> ModuleOps::ClearPosition(QString address, QString position) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("CP") + position + kCR);
    const QString reply = co_await link_.ReadReply();
    if (!IsValidReply(reply))
        link_.operatorUi().message(QStringLiteral("No valid return from ClearPosition"));
}

BusTask<> ModuleOps::SetAnalogOutput(QString address, QString sign, QString value) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("AO") + sign +
                      FormatAnalogValue(value) + kCR);
    co_await link_.ReadReply();
}

BusTask<QString> ModuleOps::ReadData(QString address) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("RD") + kCR);
    QString reply = co_await link_.ReadReply();
    co_return reply;
}

BusTask<QString> ModuleOps::ReadDigitalInputs(QString address) {
    link_.SendCommand(QLatin1Char('$') + address + QStringLiteral("DI") + kCR);
    QString reply = co_await link_.ReadReply();
    co_return reply;
}

} // namespace corvale
