#include "core/bussession.h"

#include "core/portmap.h"
#include "core/stationtimer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace corvale {

BusSession::BusSession(SerialPort& port, Clock& clock, Operator& op, StationTimer& poll,
                       StationTimer& rpm, QObject* parent)
    : QObject(parent), port_(port), clock_(clock), op_(op), poll_(poll), rpm_(rpm),
      link_(port, clock, op), modules_(link_) {
    setObjectName(QStringLiteral("busSession"));
    link_.setResumer([this](std::coroutine_handle<> h) { resume(h); });
    link_.setExchangeHook([this](const QByteArray& line, const QByteArray& received,
                                 const QString& reply) { emit exchanged(line, received, reply); });
    connect(&port_, &SerialPort::lost, this, [this] {
        lostReason_ = port_.errorText();
        emit portLost(lostReason_);
    });
    // Work held back under a message box goes on from the event loop once
    // the last box has closed, never inside the handler that showed it.
    connect(&ModalWatch::instance(), &ModalWatch::cleared, this, &BusSession::onModalCleared,
            Qt::QueuedConnection);
}

BusSession::~BusSession() {
    poll_.setBusyCheck({});
    rpm_.setBusyCheck({});
    poll_.setHandler({});
    rpm_.setHandler({});
    link_.cancelWait();
    queue_.clear();
    current_ = {};
}

void BusSession::enqueue(Job job, const QString& key) {
    if (shutDown_)
        return;
    if (!key.isEmpty()) {
        for (Entry& e : queue_) {
            if (e.key == key) {
                e.make = std::move(job);
                return;
            }
        }
    }
    queue_.push_back(Entry{std::move(job), key, {}});
    pump();
}

bool BusSession::hasJob(const QString& key) const {
    if (running_ && current_.key == key)
        return true;
    for (const Entry& e : queue_)
        if (e.key == key)
            return true;
    return false;
}

bool BusSession::idle() const {
    return !running_ && queue_.empty();
}

void BusSession::pump() {
    if (pumping_ || executing_ > 0 || shutDown_)
        return;
    pumping_ = true;
    while (!running_ && !queue_.empty() && !ModalScope::active() && !shutDown_) {
        current_ = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        current_.task = current_.make();
        ++executing_;
        current_.task.start();
        --executing_;
        if (current_.task.done() || shutDown_) {
            current_ = {};
            running_ = false;
        }
    }
    pumping_ = false;
}

void BusSession::resume(std::coroutine_handle<> h) {
    if (shutDown_)
        return;
    if (ModalScope::active()) {
        held_ = h;
        return;
    }
    ++executing_;
    h.resume();
    --executing_;
    afterRun();
}

void BusSession::afterRun() {
    if (running_ && (current_.task.done() || shutDown_)) {
        current_ = {};
        running_ = false;
    }
    pump();
}

void BusSession::onModalCleared() {
    if (ModalScope::active() || executing_ > 0)
        return;
    if (held_) {
        const auto h = held_;
        held_ = {};
        resume(h);
        return;
    }
    pump();
}

bool BusSession::runUntilIdle(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!idle() && !shutDown_) {
        if (deadline.hasExpired())
            return false;
        if (held_ && !ModalScope::active()) {
            onModalCleared();
            continue;
        }
        if (clock_.skipToWait())
            continue;
        // Wake at least every few milliseconds, whatever the queue holds.
        QTimer wake;
        wake.start(5);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!running_ && !queue_.empty())
            pump();
    }
    return true;
}

void BusSession::setTimerJob(StationTimer& timer, Job job) {
    const QString key = QStringLiteral("timer:") + timer.objectName();
    timer.setBusyCheck([this, key] { return hasJob(key); });
    timer.setHandler([this, key, job] { enqueue(job, key); });
}

void BusSession::openPort(const BusSettings& settings) {
    enqueue([this, settings] { return OpenJob(settings); });
}

BusTask<> BusSession::OpenJob(BusSettings settings) {
    if (port_.isOpen())
        port_.close();
    if (settings.portNumber > 0)
        port_.setPortNumber(settings.portNumber);
    port_.setSettings(settings.settings);
    lostReason_.clear();
    switch (port_.open()) {
    case SerialPort::OpenError::NoSuchPort:
        op_.message(QStringLiteral("Invalid ComPort #, please select another one."));
        break;
    case SerialPort::OpenError::PortInUse:
        op_.message(QStringLiteral("Port is already open, please select another one."));
        break;
    case SerialPort::OpenError::Other:
        // Any other failure (no permission, say) is said once, with its
        // reason; no timer is started on a port that did not open.
        op_.message(PortOpenFailureText(QStringLiteral("DGH bus"), port_));
        rpm_.setEnabled(false);
        poll_.setEnabled(false);
        setState(State::Closed);
        co_return;
    case SerialPort::OpenError::None:
        break;
    }
    setState(State::Running);
    rpm_.setEnabled(true);
    poll_.setEnabled(true);
    co_return;
}

void BusSession::closeAfterFailure(StationTimer& timer) {
    timer.setEnabled(false);
    if (port_.isOpen())
        port_.close();
    setState(State::Closed);
}

void BusSession::setState(State state) {
    state_ = state;
    emit stateChanged(state);
}

void BusSession::shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    link_.cancelWait();
    queue_.clear();
    held_ = {};
    // A job suspended in its wait is dropped with its frames; one that is
    // running (under a box) is dropped when it hands control back.
    if (executing_ == 0) {
        current_ = {};
        running_ = false;
    }
    if (port_.isOpen())
        port_.close();
}

} // namespace corvale
