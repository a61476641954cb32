#include "bus/dghlink.h"

#include "core/textnum.h"

#include <cmath>

namespace corvale {

namespace {
const QChar kCR(13);

// Where a job goes when the bus has stopped: it is never resumed, and its
// frame is dropped by the session.
struct Halt {
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<>) const noexcept {}
    void await_resume() const noexcept {}
};
} // namespace

void DghLink::stop() {
    *running_ = false;
    clock_.cancelWait();
}

FramedReply FrameReceived(const QByteArray& received) {
    FramedReply out;
    QString reply;
    bool started = false;
    bool wholeValid = false; // a "*" reply has met its carriage return
    for (const char raw : received) {
        const QChar c(static_cast<unsigned char>(raw) & 0x7f);
        if (c == QLatin1Char('?') || c == QLatin1Char('*')) {
            if (wholeValid)
                out.stray = true;
            reply = QString(c);
            started = true;
        } else if (started) {
            if (c == kCR && reply.startsWith(QLatin1Char('*')))
                wholeValid = true;
            reply += c;
        }
    }
    if (!out.stray && reply.endsWith(kCR)) {
        reply.chop(1);
        out.text = reply;
    } else {
        out.text = kNoReplyText;
    }
    return out;
}

QString FrameReply(const QByteArray& received) {
    return FrameReceived(received).text;
}

BusExchange::Status ExchangeStatus(const QByteArray& received, const FramedReply& framed) {
    using S = BusExchange::Status;
    return IsValidReply(framed.text) ? S::Valid
           : framed.stray            ? S::Stray
           : received.isEmpty()      ? S::Timeout
                                     : S::Invalid;
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

DghLink::DelayAwaiter DghLink::Window(BusExchange& x) {
    // The input is drained once, the moment the window closes; characters
    // that arrive later wait for the next reply. The exchange is handed on
    // then too, stamped with that moment, even if a box holds the job.
    return DelayAwaiter(*this, kReplyWaitMs, [this, &x](std::int32_t due) {
        x.received = Drain();
        x.closedTick = clock_.ticks();
        x.closedAt = clock_.now();
        x.lateMs = std::max<std::int32_t>(0, TicksUntil(due, x.closedTick));
        const FramedReply framed = FrameReceived(x.received);
        x.reply = framed.text;
        x.status = ExchangeStatus(x.received, framed);
        if (exchangeHook_)
            exchangeHook_(x);
    });
}

BusTask<BusExchange> DghLink::Exchange(QString line) {
    BusExchange x;
    x.line = line.toLatin1();
    for (int attempt = 0;; ++attempt) {
        x.attempt = attempt;
        if (stopped())
            co_await Halt{};
        if (!port_.isOpen()) {
            // With reconnect on, the session takes the fault and no box opens.
            if (!faultHandler_ || !faultHandler_(QStringLiteral("Port Not open")))
                op_.message(QStringLiteral("Port Not open"), QStringLiteral("Port Failure"));
            if (stopped()) // shut down under the box
                co_await Halt{};
            // A port closed before or during the try gets no retry: it could
            // not be sent, and the failure is the port's, not the module's.
            x.received.clear();
            x.reply.clear();
            x.status = BusExchange::Status::Closed;
            x.closedAt = {};
            x.closedTick = 0;
            x.lateMs = 0;
            last_ = x;
            co_return x;
        }
        port_.write(x.line);
        port_.setReadLength(1);
        co_await Window(x);
        last_ = x;
        if (x.valid() || attempt >= retries_ || !port_.isOpen())
            co_return x;
    }
}

bool DghLink::DelayAwaiter::await_suspend(std::coroutine_handle<> h) {
    const auto whole = static_cast<std::int32_t>(std::trunc(ms_));
    // Measured as a wrapping distance, so the wait ends also when the tick
    // count passes the largest signed value or changes sign.
    const std::int32_t end = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(link_.clock_.ticks()) + static_cast<std::uint32_t>(whole));
    DghLink& link = link_;
    if (link.stopped())
        return true; // never resumed: the bus has stopped
    const bool pending = link.clock_.startWait(end, [this, h, &link, end] {
        if (atEnd_)
            atEnd_(end);
        if (link.resumer_)
            link.resumer_(h);
        else
            h.resume();
    });
    if (!pending && atEnd_)
        atEnd_(end);
    return pending;
}

bool DghLink::AlertAwaiter::await_suspend(std::coroutine_handle<>) {
    // The flag outlives the link: the session may be gone when the box closes.
    const std::shared_ptr<bool> running = link_.running_;
    if (!*running)
        return true;
    if (link_.faultHandler_ && link_.faultHandler_(text_))
        return true; // never resumed: the session ends the job
    link_.op_.message(text_, caption_);
    return !*running; // stopped under the box: the job ends here
}

namespace {
QString Command(const QString& address, const char* code, const QString& data = {}) {
    return QLatin1Char('$') + address + QLatin1String(code) + data + kCR;
}
} // namespace

BusTask<BusExchange> ModuleOps::SetPosition(QString address, QString position) {
    const BusExchange x = co_await link_.Exchange(Command(address, "SP", position));
    if (!x.valid())
        co_await link_.Alert(QStringLiteral("No valid return from SetPosition"));
    co_return x;
}

BusTask<BusExchange> ModuleOps::ClearPosition(QString address, QString position) {
    const BusExchange x = co_await link_.Exchange(Command(address, "CP", position));
    if (!x.valid())
        co_await link_.Alert(QStringLiteral("No valid return from ClearPosition"));
    co_return x;
}

BusTask<BusExchange> ModuleOps::SetAnalogOutput(QString address, QString sign, QString value) {
    co_return co_await link_.Exchange(Command(address, "AO", sign + FormatAnalogValue(value)));
}

BusTask<BusExchange> ModuleOps::ReadData(QString address) {
    co_return co_await link_.Exchange(Command(address, "RD"));
}

BusTask<BusExchange> ModuleOps::ReadDigitalInputs(QString address) {
    co_return co_await link_.Exchange(Command(address, "DI"));
}

} // namespace corvale
