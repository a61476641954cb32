#include "bus/bussession.h"

#include "bus/modulemap.h"
#include "bus/portmap.h"
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
    // The bus raises no receive events and reads all that is waiting, until
    // the link asks for one character at a time.
    port_.setReceiveThreshold(0);
    port_.setReadLength(0);
    link_.setResumer([this](std::coroutine_handle<> h) { resume(h); });
    link_.setExchangeHook([this](const BusExchange& x) { emit exchanged(x); });
    link_.setFaultHandler([this](const QString& text) { return takeLineFault(text); });
    connect(&port_, &SerialPort::lost, this, [this] {
        lostReason_ = port_.errorText();
        emit portLost(lostReason_);
        // The box the next command would meet, said at once with the cause.
        if (reconnect_ && state_ == State::Running)
            goDown(QStringLiteral("Port Not open") +
                   (lostReason_.isEmpty() ? QString() : QStringLiteral(": ") + lostReason_));
    });
    retry_.setSingleShot(true);
    retry_.setInterval(kReconnectMs);
    connect(&retry_, &QTimer::timeout, this,
            [this] { enqueue([this] { return ReconnectJob(); }, QStringLiteral("reconnect")); });
    // Work held back under a message box goes on from the event loop once
    // the last box has closed, never inside the handler that showed it.
    connect(&ModalWatch::instance(), &ModalWatch::cleared, this, &BusSession::onModalCleared,
            Qt::QueuedConnection);
}

BusSession::~BusSession() {
    *alive_ = false;
    poll_.setBusyCheck({});
    rpm_.setBusyCheck({});
    poll_.setHandler({});
    rpm_.setHandler({});
    stopAll();
    // A job still running further up the stack (under a box) is let go, not
    // destroyed under its own feet; it ends where it stands when the box
    // closes.
    if (executing_ > 0)
        current_.task.release();
    current_ = {};
}

void BusSession::enqueue(Job job, const QString& key) {
    if (shutDown_)
        return;
    if (!key.isEmpty()) {
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->key != key)
                continue;
            if (std::next(it) == queue_.end()) {
                it->make = std::move(job);
                return;
            }
            queue_.erase(it);
            break;
        }
    }
    queue_.push_back(Entry{std::move(job), key, {}});
    pump();
}

void BusSession::enqueueSafety(Job job, const QString& supersedes) {
    if (shutDown_)
        return;
    if (!supersedes.isEmpty())
        std::erase_if(queue_, [&](const Entry& e) { return e.key == supersedes; });
    safety_.push_back(Entry{std::move(job), {}, {}});
    pump();
}

bool BusSession::hasJob(const QString& key) const {
    if (running_ && current_.key == key)
        return true;
    for (const Entry& e : safety_)
        if (e.key == key)
            return true;
    for (const Entry& e : queue_)
        if (e.key == key)
            return true;
    return false;
}

bool BusSession::idle() const {
    return !running_ && queue_.empty() && safety_.empty();
}

void BusSession::pump() {
    if (pumping_ || executing_ > 0 || shutDown_)
        return;
    pumping_ = true;
    while (!running_ && !(queue_.empty() && safety_.empty()) && !ModalScope::active() &&
           !shutDown_) {
        std::deque<Entry>& lane = safety_.empty() ? queue_ : safety_;
        current_ = std::move(lane.front());
        lane.pop_front();
        running_ = true;
        abandon_ = false;
        current_.task = current_.make();
        const std::shared_ptr<bool> alive = alive_;
        ++executing_;
        current_.task.start();
        if (!*alive)
            return; // ended under a box with everything it owned
        --executing_;
        if (current_.task.done() || shutDown_ || abandon_)
            endCurrent();
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
    const std::shared_ptr<bool> alive = alive_;
    ++executing_;
    h.resume();
    if (!*alive)
        return;
    --executing_;
    afterRun();
}

void BusSession::afterRun() {
    if (running_ && (current_.task.done() || shutDown_ || abandon_))
        endCurrent();
    pump();
}

void BusSession::endCurrent() {
    // A job whose frame could not be made, or that threw, ends like any
    // other; the queue goes on.
    if (!abandon_ && (current_.task.failed() || !current_.task.valid()))
        qWarning("bus job %s ended without finishing",
                 current_.task.valid() ? "(threw)" : "(no memory)");
    current_ = {};
    running_ = false;
    abandon_ = false;
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
    retry_.stop();
    opening_ = true;
    const SerialPort::OpenError opened = port_.open();
    opening_ = opened != SerialPort::OpenError::None;
    switch (opened) {
    case SerialPort::OpenError::NoSuchPort:
        co_await link_.Alert(QStringLiteral("Invalid ComPort #, please select another one."));
        break;
    case SerialPort::OpenError::PortInUse:
        co_await link_.Alert(QStringLiteral("Port is already open, please select another one."));
        break;
    case SerialPort::OpenError::Other:
        // Any other failure (no permission, say) is said once, with its
        // reason; no timer is started on a port that did not open.
        co_await link_.Alert(PortOpenFailureText(QStringLiteral("DGH bus"), port_));
        opening_ = false;
        rpm_.setEnabled(false);
        poll_.setEnabled(false);
        setState(State::Closed);
        co_return;
    case SerialPort::OpenError::None:
        break;
    }
    opening_ = false;
    setState(State::Running);
    if (outage_)
        endOutage(QStringLiteral("opened from the port dialog"));
    rpm_.setEnabled(true);
    poll_.setEnabled(true);
    co_return;
}

void BusSession::closeAfterFailure(StationTimer& timer) {
    if (shutDown_)
        return;
    timer.setEnabled(false);
    if (port_.isOpen())
        port_.close();
    setState(State::Closed);
}

void BusSession::setReconnect(bool on) {
    reconnect_ = on;
    if (on || state_ != State::Down)
        return;
    retry_.stop();
    setState(State::Closed);
}

bool BusSession::takeLineFault(const QString& text) {
    // Only a line the operator has opened: a command on a bus never opened,
    // or closed by the failure path, is told as always.
    if (!reconnect_ || shutDown_ ||
        !(opening_ || state_ == State::Running || state_ == State::Down))
        return false;
    opening_ = false;
    goDown(text);
    retryLater(); // also when it was Down already and the dialog's open failed
    abandon_ = running_;
    return true;
}

void BusSession::goDown(const QString& reason) {
    if (state_ == State::Down)
        return;
    poll_.setEnabled(false);
    rpm_.setEnabled(false);
    if (port_.isOpen())
        port_.close();
    outage_ = true;
    // A box shown over two lines is said on one.
    downReason_ = QString(reason).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    downSince_ = clock_.now();
    setState(State::Down);
    emit lineDown(downReason_);
    retryLater();
}

void BusSession::retryLater() {
    if (!shutDown_ && state_ == State::Down && !retry_.isActive())
        retry_.start();
}

void BusSession::endOutage(const QString& how) {
    outage_ = false;
    downReason_.clear();
    emit lineUp(how);
}

BusTask<> BusSession::ReconnectJob() {
    if (state_ != State::Down)
        co_return;
    if (port_.isOpen())
        port_.close();
    if (port_.open() != SerialPort::OpenError::None) {
        retryLater();
        co_return;
    }
    // Back only when the device answers: the poll's own question.
    const BusExchange x =
        co_await link_.Exchange(QLatin1Char('$') + modules::kDigitalIo + QStringLiteral("DI\r"));
    if (state_ != State::Down)
        co_return;
    if (!x.valid()) {
        if (port_.isOpen())
            port_.close();
        retryLater();
        co_return;
    }
    resuming_ = true;
    setState(State::Running);
    resuming_ = false;
    endOutage(QStringLiteral("the device answered again"));
    rpm_.setEnabled(true);
    poll_.setEnabled(true);
}

void BusSession::setState(State state) {
    if (shutDown_)
        return;
    state_ = state;
    emit stateChanged(state);
}

void BusSession::stopAll() {
    shutDown_ = true;
    retry_.stop();
    link_.stop();
    queue_.clear();
    safety_.clear();
    held_ = {};
}

void BusSession::shutdown() {
    if (shutDown_)
        return;
    stopAll();
    // A job suspended in its wait is dropped with its frames; one that is
    // running (under a box) ends when the box closes: the link lets it go
    // no further, and it is dropped when it hands control back.
    if (executing_ == 0) {
        current_ = {};
        running_ = false;
    }
    if (port_.isOpen())
        port_.close();
}

} // namespace corvale
