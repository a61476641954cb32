#pragma once
// Fakes of the station's seams for tests: a clock whose time moves only when
// asked (a 35 ms reply wait costs no real time), a serial port whose replies
// arrive at chosen ticks of that clock, and an operator that records
// messages and answers file dialogs from a queue.

#include "core/clock.h"
#include "core/operator.h"
#include "core/serialport.h"

#include <QByteArray>
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

    void setTicks(std::int32_t t) { ticks_ = t; }
    void advance(int ms);
    void setNow(const QDateTime& now) {
        now_ = now;
        elapsed_ = 0;
    }
    int sleeps = 0;

private:
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

    // Staging.
    void setOpenResult(OpenError result) { openResult_ = result; }
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
    std::deque<std::pair<QByteArray, int>> queued_;
    QList<std::pair<QByteArray, std::pair<QByteArray, int>>> answers_;
    QList<Pending> pending_;
    QByteArray buffer_;
};

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
