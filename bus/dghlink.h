#pragma once
// The DGH module bus: one command line out, a 35 ms window, then whatever
// has arrived is the reply. The station is the only master on the line.
//
// The wait gives the event loop back: a command is awaited from a bus job
// (see bus/bussession.h), which goes on once the window has closed and the
// input has been drained. The drain comes when the event loop next turns
// after the 35 ms, never before; how late it came is kept with the exchange.

#include "bus/bustask.h"
#include "bus/serialport.h"
#include "core/clock.h"
#include "core/operator.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <algorithm>
#ifndef Q_MOC_RUN
#include <coroutine>
#endif
#include <cstdint>
#include <functional>
#include <memory>

namespace corvale {

// One command and what came back.
struct BusExchange {
    enum class Status {
        Valid,   // a reply starting with "*"
        Timeout, // nothing arrived in the window
        Invalid, // something arrived, but no valid reply
        Stray,   // a whole reply and then another: whose is unknown
        Closed,  // the port was closed; nothing was sent
    };
    QByteArray line;     // the command as handed to the port
    QByteArray received; // every character drained from the window
    // The reply text: from the last marker up to its carriage return;
    // "TIMEOUT" when the window framed no reply, empty on a closed port.
    // Judge the exchange by its status, never by this text.
    QString reply;
    Status status = Status::Closed;
    QDateTime closedAt; // when the reply window closed (the drain)
    std::int32_t closedTick = 0;
    int lateMs = 0;  // how long after the 35 ms the drain came
    int attempt = 0; // 0 for the first try of a command, 1.. for its retries

    bool valid() const { return status == Status::Valid; }
};

// The text of a window that framed no reply, as shown and logged.
inline const QString kNoReplyText = QStringLiteral("TIMEOUT");

// The framing of a received run of characters.
struct FramedReply {
    QString text; // the reply text, kNoReplyText when there is none
    // A whole valid reply (marker to carriage return) was followed by another
    // marker: a late reply of the module before and this module's own share
    // one window, and keeping either could give one module's reading to
    // another. Such a window holds no valid reply.
    bool stray = false;
};
FramedReply FrameReceived(const QByteArray& received);
// The reply text alone, for the link and its tests.
QString FrameReply(const QByteArray& received);
// What a reply window that received these characters amounts to.
BusExchange::Status ExchangeStatus(const QByteArray& received, const FramedReply& framed);

// A reply counts as valid when its first character is "*".
inline bool IsValidReply(const QString& reply) {
    return reply.startsWith(QLatin1Char('*'));
}

class DghLink {
public:
    DghLink(SerialPort& port, Clock& clock, Operator& op)
        : port_(port), clock_(clock), op_(op), running_(std::make_shared<bool>(true)) {}

    // One command and its reply: hands the whole line (carriage return
    // included) to the port, waits out the reply window and frames what
    // arrived. On a closed port nothing is sent: "Port Not open" is reported
    // and the exchange is Closed. A reply that is missing or not valid has
    // the same line sent again, up to retries() times, each try with its
    // own window; the last try is returned.
    BusTask<BusExchange> Exchange(QString line);

    // How often a command without a valid reply is sent again (0 to 3).
    static constexpr int kMaxRetries = 3;
    void setRetries(int retries) { retries_ = std::clamp(retries, 0, kMaxRetries); }
    int retries() const { return retries_; }

    // Waits until the tick count has advanced by the whole part of ms; the
    // event loop runs meanwhile. `atEnd` runs the moment the wait is over,
    // with the tick the wait was due at, before the job is resumed (the
    // drain of the reply window).
    class DelayAwaiter {
    public:
        DelayAwaiter(DghLink& link, float ms, std::function<void(std::int32_t)> atEnd = {})
            : link_(link), ms_(ms), atEnd_(std::move(atEnd)) {}
        bool await_ready() const noexcept { return false; }
        bool await_suspend(std::coroutine_handle<> h);
        void await_resume() const noexcept {}

    private:
        DghLink& link_;
        float ms_;
        std::function<void(std::int32_t)> atEnd_;
    };
    DelayAwaiter Delay(float ms) { return DelayAwaiter(*this, ms); }

    // A message a bus job must have acknowledged before it goes on:
    // `co_await link.Alert(text)`. When the bus was stopped while the box
    // was open, the job goes no further.
    class AlertAwaiter {
    public:
        AlertAwaiter(DghLink& link, QString text, QString caption)
            : link_(link), text_(std::move(text)), caption_(std::move(caption)) {}
        bool await_ready() const noexcept { return false; }
        bool await_suspend(std::coroutine_handle<>);
        void await_resume() const noexcept {}

    private:
        DghLink& link_;
        QString text_;
        QString caption_;
    };
    AlertAwaiter Alert(const QString& text, const QString& caption = kAppTitle) {
        return AlertAwaiter(*this, text, caption);
    }

    SerialPort& port() { return port_; }
    Operator& operatorUi() { return op_; }
    // The last exchange that ended.
    const BusExchange& lastExchange() const { return last_; }
    Clock& clock() { return clock_; }

    // Who goes on with a job after its wait; the bus session holds a job
    // back while a message box is open. Without one the job goes on at once.
    void setResumer(std::function<void(std::coroutine_handle<>)> resumer) {
        resumer_ = std::move(resumer);
    }
    // Every exchange, the moment its window closes, whatever holds the job
    // afterwards.
    void setExchangeHook(std::function<void(const BusExchange&)> hook) {
        exchangeHook_ = std::move(hook);
    }
    // Who takes a line fault without a box (reconnect on): a message the
    // link would show is offered here first. When taken (true), no box
    // opens, and a job at an Alert goes no further: its session ends it.
    void setFaultHandler(std::function<bool(const QString&)> handler) {
        faultHandler_ = std::move(handler);
    }
    void cancelWait() { clock_.cancelWait(); }
    // The bus is shut down: no line is sent, no wait starts and no box
    // opens from here on; a job that reaches the link goes no further.
    void stop();
    bool stopped() const { return !*running_; }

    static constexpr int kReplyWaitMs = 35;

private:
    QByteArray Drain();
    // The window of one try: drains and frames it into x when it closes.
    DelayAwaiter Window(BusExchange& x);

    SerialPort& port_;
    Clock& clock_;
    Operator& op_;
    BusExchange last_;
    int retries_ = 0;
    // Shared with awaiters, which may outlive the link when a job is left
    // under a box at shutdown.
    std::shared_ptr<bool> running_;
    std::function<void(std::coroutine_handle<>)> resumer_;
    std::function<void(const BusExchange&)> exchangeHook_;
    std::function<bool(const QString&)> faultHandler_;
};

// Module operations: one command and its reply each.
class ModuleOps {
public:
    explicit ModuleOps(DghLink& link) : link_(link) {}
    BusTask<BusExchange> SetPosition(QString address, QString position);
    BusTask<BusExchange> ClearPosition(QString address, QString position);
    BusTask<BusExchange> SetAnalogOutput(QString address, QString sign, QString value);
    BusTask<BusExchange> ReadData(QString address);
    // The digital inputs of the digital module.
    BusTask<BusExchange> ReadDigitalInputs(QString address);

    DghLink& link() { return link_; }

private:
    DghLink& link_;
};

} // namespace corvale
