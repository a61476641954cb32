#pragma once
// Fakes of the station's seams for tests: a clock whose time moves only when
// asked (a 35 ms reply wait costs no real time), a serial port whose replies
// arrive at chosen ticks of that clock, and an operator that records
// messages and answers file dialogs from a queue.

#include "bus/bustask.h"
#include "bus/serialport.h"
#include "core/clock.h"
#include "core/operator.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QMap>
#include <QStringList>
#include <deque>
#include <functional>

namespace corvale {

class FakeClock : public Clock {
public:
    std::int32_t ticks() override { return ticks_; }
    void sleepUntil(std::int32_t tick) override;
    QDateTime now() override { return now_.addMSecs(elapsed_); }
    // By default a reply wait is over at once (time jumps to its end), so a
    // whole bus cycle runs inside the call that started it. With deferred
    // waits a wait stays pending until advance() reaches it or
    // skipToWait() jumps to it, so a test can act while the bus waits.
    bool startWait(std::int32_t tick, std::function<void()> done) override;
    void cancelWait() override { wait_ = nullptr; }
    bool skipToWait() override;
    void setDeferredWaits(bool deferred) { deferred_ = deferred; }
    bool waitPending() const { return static_cast<bool>(wait_); }

    void setTicks(std::int32_t t) { ticks_ = t; }
    void advance(int ms);
    void setNow(const QDateTime& now) {
        now_ = now;
        elapsed_ = 0;
    }
    int sleeps = 0;

private:
    void fireDueWait();

    bool deferred_ = false;
    std::int32_t waitTick_ = 0;
    std::function<void()> wait_;
    std::int32_t ticks_ = 1000;
    QDateTime now_ = QDateTime(QDate(2026, 12, 8), QTime(14, 7, 9));
    qint64 elapsed_ = 0;
};

class FakeSerialPort : public SerialPort {
    Q_OBJECT
public:
    FakeSerialPort(FakeClock& clock, int number, const QString& settings)
        : clock_(clock), number_(number), settings_(settings) {}

    bool isOpen() const override { return open_; }
    OpenError open() override;
    void close() override;
    int portNumber() const override { return number_; }
    void setPortNumber(int number) override { number_ = number; }
    QString settings() const override { return settings_; }
    void setSettings(const QString& settings) override { settings_ = settings; }
    void setReadLength(int length) override { readLength_ = length; }
    void setReceiveThreshold(int threshold) override { threshold_ = threshold; }
    int charactersWaiting() override;
    QByteArray read() override;
    void write(const QByteArray& text) override;

    QString errorText() const override { return errorText_; }
    QString deviceName() const override { return deviceName_; }

    // Staging.
    void setOpenResult(OpenError result) { openResult_ = result; }
    void setErrorText(const QString& text) { errorText_ = text; }
    void setDeviceName(const QString& device) { deviceName_ = device; }
    // Bytes that arrive `delayMs` after the next written line (one-shot,
    // in order, ahead of the standing answers).
    void queueReply(const QByteArray& bytes, int delayMs = 5);
    // A standing answer to every line that starts with `prefix`.
    void answer(const QByteArray& prefix, const QByteArray& bytes, int delayMs = 5);
    void clearAnswers() { answers_.clear(); }
    // Bytes that arrive at an absolute tick.
    void arriveAt(std::int32_t tick, const QByteArray& bytes);
    // The device goes away: the port closes and raises lost().
    void vanish();
    // Bytes that arrive now; raises the receive event when enabled.
    void deliver(const QByteArray& bytes);

    QList<QByteArray> written;
    int readLength() const { return readLength_; }
    int receiveThreshold() const { return threshold_; }
    int openCount = 0;
    int closeCount = 0;
    // Called on close, to record the order of closes across ports.
    std::function<void()> onClose;

private:
    struct Pending {
        std::int32_t tick;
        QByteArray bytes;
    };
    void settle();

    FakeClock& clock_;
    int number_;
    QString settings_;
    bool open_ = false;
    int readLength_ = 0;
    int threshold_ = 0;
    OpenError openResult_ = OpenError::None;
    QString errorText_;
    QString deviceName_;
    std::deque<std::pair<QByteArray, int>> queued_;
    QList<std::pair<QByteArray, std::pair<QByteArray, int>>> answers_;
    QList<Pending> pending_;
    QByteArray buffer_;
};

// Runs a bus task to its end, outside any bus session: a clock that can
// jump skips through the waits, a real one lets the event loop turn.
template <class T> T RunTask(BusTask<T> task, Clock& clock) {
    task.start();
    while (!task.done()) {
        if (!clock.skipToWait())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return task.await_resume();
}

class RecordingOperator : public Operator {
public:
    struct Message {
        QString text;
        QString caption;
    };
    using Operator::message;
    void message(const QString& text, const QString& caption) override;
    QString openFileName(const QString& filter, const QString& initialName) override;

    QList<Message> messages;
    QStringList texts() const;
    std::deque<QString> fileAnswers;
    QStringList fileFilters;
    QStringList fileInitialNames;
    // Runs while a message "is open", to stage what happens under a box.
    std::function<void(const QString&)> duringMessage;
};

} // namespace corvale
