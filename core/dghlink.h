#pragma once
// The DGH module bus: one command line out, a fixed 35 ms wait, then whatever
// has arrived is the reply. The station is the only master on the line.
//
// The wait gives the event loop back: a command is awaited from a bus job
// (see core/bussession.h), which goes on once the window has closed and the
// input has been drained.

#include "core/bustask.h"
#include "core/clock.h"
#include "core/operator.h"
#include "core/serialport.h"

#include <QByteArray>
#include <QString>
#ifndef Q_MOC_RUN
#include <coroutine>
#endif
#include <functional>

namespace corvale {

class DghLink {
public:
    DghLink(SerialPort& port, Clock& clock, Operator& op) : port_(port), clock_(clock), op_(op) {}

    // Hands the whole line (carriage return included) to the port, or
    // reports "Port Not open" when the bus is closed.
    void SendCommand(const QString& line);
    // The reply to the command just sent: text from the last marker up to
    // its carriage return, "TIMEOUT", or empty text on a closed port.
    BusTask<QString> ReadReply();

    // Waits until the tick count has advanced by the whole part of ms; the
    // event loop runs meanwhile. `atEnd` runs the moment the wait is over,
    // before the job is resumed (the drain of the reply window).
    class DelayAwaiter {
    public:
        DelayAwaiter(DghLink& link, float ms, std::function<void()> atEnd = {})
            : link_(link), ms_(ms), atEnd_(std::move(atEnd)) {}
        bool await_ready() const noexcept { return false; }
        bool await_suspend(std::coroutine_handle<> h);
        void await_resume() const noexcept {}

    private:
        DghLink& link_;
        float ms_;
        std::function<void()> atEnd_;
    };
    DelayAwaiter Delay(float ms) { return DelayAwaiter(*this, ms); }

    SerialPort& port() { return port_; }
    Operator& operatorUi() { return op_; }
    Clock& clock() { return clock_; }

    // Who goes on with a job after its wait; the bus session holds a job
    // back while a message box is open. Without one the job goes on at once.
    void setResumer(std::function<void(std::coroutine_handle<>)> resumer) {
        resumer_ = std::move(resumer);
    }
    // Every command with what came back: the line, the characters drained
    // and the reply text.
    void setExchangeHook(
        std::function<void(const QByteArray&, const QByteArray&, const QString&)> hook) {
        exchangeHook_ = std::move(hook);
    }
    void cancelWait() { clock_.cancelWait(); }

    static constexpr int kReplyWaitMs = 35;

private:
    QByteArray Drain();

    SerialPort& port_;
    Clock& clock_;
    Operator& op_;
    QByteArray lastLine_;
    std::function<void(std::coroutine_handle<>)> resumer_;
    std::function<void(const QByteArray&, const QByteArray&, const QString&)> exchangeHook_;
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
    BusTask<> SetPosition(QString address, QString position);
    BusTask<> ClearPosition(QString address, QString position);
    BusTask<> SetAnalogOutput(QString address, QString sign, QString value);
    BusTask<QString> ReadData(QString address);
    // The digital inputs of the digital module.
    BusTask<QString> ReadDigitalInputs(QString address);

    DghLink& link() { return link_; }

private:
    DghLink& link_;
};

} // namespace corvale
