#pragma once
// BusSession: the one owner of the DGH bus. It opens and closes the port,
// starts and stops the two bus timers, and runs all bus work as jobs, one at
// a time, in the order they were asked for: a poll tick, an RPM cycle, each
// operator action on a bus control, the port dialog's Update. A job waits
// for its replies without holding the thread, so the window paints, the
// charts and the logger tick and the CTD line is read while the bus waits;
// commands still never interleave, because the next job starts only when
// the one before has ended.
//
// A job that meets a message box goes on after the box is closed; no job
// starts or goes on while any box is open, so boxes never stack.
//
// Three promises the order of jobs keeps:
//   - a safety job (the profiler's STOP at an end-stop) goes before every
//     queued job, right after the job on the bus now;
//   - the operator's order is the wire's order: a newer value of a control
//     takes its queued older value's place only when nothing was queued
//     after it; otherwise the older is dropped and the newer queues last;
//   - after shutdown nothing of the bus runs: a job under a box ends when
//     the box closes.
//
// Reconnect (off by default): once the operator has opened the bus, a line
// fault (the port lost, a port that will not open, a module without a
// valid reply after its retries) opens no box. The job that met it ends
// there, the port closes, both bus timers stop and the session is Down,
// with the text the box would have shown as its reason. Every 2 s it opens
// the same device again and asks the digital module for its inputs; a
// valid reply brings it back to Running and restarts both timers.

#include "bus/bustask.h"
#include "bus/dghlink.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#ifndef Q_MOC_RUN
#include <coroutine>
#endif
#include <deque>
#include <functional>
#include <memory>

namespace corvale {

class StationTimer;

// The port dialog's choice: a COM number and "baud,parity,data,stop".
struct BusSettings {
    int portNumber = 0;
    QString settings;
};

class BusSession : public QObject {
    Q_OBJECT
public:
    // Idle: never opened. Running: opened from the port dialog, bus timers
    // started. Closed: closed after a failure (or a port that would not
    // open); the timers that met it are stopped. Down: a line fault with
    // reconnect on; the port is closed and tried again every 2 s.
    enum class State { Idle, Running, Closed, Down };
    static constexpr int kReconnectMs = 2000;
    using Job = std::function<BusTask<>()>;

    BusSession(SerialPort& port, Clock& clock, Operator& op, StationTimer& poll, StationTimer& rpm,
               QObject* parent = nullptr);
    ~BusSession() override;

    DghLink& link() { return link_; }
    ModuleOps& modules() { return modules_; }
    SerialPort& port() { return port_; }
    State state() const { return state_; }
    // The system's words when the port went away while open; empty otherwise.
    QString lostReason() const { return lostReason_; }

    // Reconnect on or off; see above. Turned off while Down, the retries
    // stop and the bus stays closed as the failure path leaves it.
    void setReconnect(bool on);
    bool reconnect() const { return reconnect_; }
    // While Down: why, as the message box would have said it, and since when.
    QString downReason() const { return downReason_; }
    QDateTime downSince() const { return downSince_; }
    // True while the change to Running is a line coming back, not an open
    // from the port dialog (whose counters start afresh).
    bool resuming() const { return resuming_; }

    // Queues a job. A job with a key stands for the latest value of one
    // control: it replaces a not yet started job of the same key when that
    // one is last in the queue, and otherwise drops it and queues last, so
    // a slide dragged while the bus is busy sends only its latest value and
    // never overtakes another action. Ignored after shutdown.
    void enqueue(Job job, const QString& key = {});
    // A safety job: goes before every queued job, and drops a not yet
    // started job of key `supersedes` (a drive it stops). Ignored after
    // shutdown.
    void enqueueSafety(Job job, const QString& supersedes = {});
    bool hasJob(const QString& key) const;
    bool idle() const;
    // Runs the bus until no job is queued or running: the event loop turns,
    // and a clock that can jump (a test's) skips through the reply waits.
    // For tests and tools; false when `timeoutMs` of real time ran out.
    bool runUntilIdle(int timeoutMs = 10000);

    // Each tick of `timer` queues `job`; a tick that comes while the job of
    // an earlier tick is queued or running is dropped.
    void setTimerJob(StationTimer& timer, Job job);

    // The port dialog's Update, as a job: closes the port if open, takes the
    // settings, opens it, reports a failure and starts both bus timers.
    void openPort(const BusSettings& settings);
    // A bus failure's end: the timer that met it stops and the port closes.
    void closeAfterFailure(StationTimer& timer);
    // Shutdown: every job is dropped where it stands, the pending wait is
    // ended and the port closed if open. Nothing of the bus runs afterwards.
    void shutdown();

signals:
    void stateChanged(corvale::BusSession::State state);
    // One command and what came back, when its reply window closed.
    void exchanged(const corvale::BusExchange& exchange);
    // The port went away while open; it counts as closed from now on.
    void portLost(const QString& reason);
    // Reconnect: the line went down (once per outage), and came back.
    void lineDown(const QString& reason);
    void lineUp(const QString& how);

private:
    struct Entry {
        Job make;
        QString key;
        BusTask<> task;
    };
    BusTask<> OpenJob(BusSettings settings);
    void setState(State state);
    // Nothing more is sent, queued, retried or held: shutdown and the
    // destructor share it.
    void stopAll();
    void pump();
    void resume(std::coroutine_handle<> h);
    void afterRun();
    void onModalCleared();
    void endCurrent();
    bool takeLineFault(const QString& text);
    void goDown(const QString& reason);
    void endOutage(const QString& how);
    void retryLater();
    BusTask<> ReconnectJob();

    SerialPort& port_;
    Clock& clock_;
    Operator& op_;
    StationTimer& poll_;
    StationTimer& rpm_;
    DghLink link_;
    ModuleOps modules_;
    std::deque<Entry> safety_;
    std::deque<Entry> queue_;
    Entry current_;
    bool running_ = false;
    std::coroutine_handle<> held_;
    int executing_ = 0;
    bool pumping_ = false;
    bool shutDown_ = false;
    State state_ = State::Idle;
    QString lostReason_;
    bool reconnect_ = false;
    bool opening_ = false; // the port dialog's open is being reported
    bool abandon_ = false; // the running job met a line fault: end it
    bool resuming_ = false;
    bool outage_ = false;
    QString downReason_;
    QDateTime downSince_;
    QTimer retry_;
    // False once the session is destroyed; checked after running a job,
    // which may end the session's owner under a box.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace corvale
