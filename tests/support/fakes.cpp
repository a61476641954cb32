#include "tests/support/fakes.h"

namespace corvale {

void FakeClock::sleepUntil(std::int32_t tick) {
    ++sleeps;
    const std::int32_t left = TicksUntil(ticks_, tick);
    if (left > 0)
        advance(left);
}

void FakeClock::advance(int ms) {
    ticks_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(ticks_) +
                                       static_cast<std::uint32_t>(ms));
    elapsed_ += ms;
    fireDueWait();
}

bool FakeClock::startWait(std::int32_t tick, std::function<void()> done) {
    const std::int32_t left = TicksUntil(ticks_, tick);
    if (!deferred_) {
        if (left > 0)
            advance(left);
        return false;
    }
    if (left <= 0)
        return false;
    waitTick_ = tick;
    wait_ = std::move(done);
    return true;
}

bool FakeClock::skipToWait() {
    if (!wait_)
        return false;
    const std::int32_t left = TicksUntil(ticks_, waitTick_);
    if (left > 0)
        advance(left); // fires it
    else
        fireDueWait();
    return true;
}

void FakeClock::fireDueWait() {
    if (!wait_ || TicksUntil(ticks_, waitTick_) > 0)
        return;
    auto done = std::move(wait_);
    wait_ = nullptr;
    done();
}

SerialPort::OpenError FakeSerialPort::open() {
    if (openResult_ != OpenError::None)
        return openResult_;
    open_ = true;
    ++openCount;
    return OpenError::None;
}

void FakeSerialPort::close() {
    open_ = false;
    ++closeCount;
    if (onClose)
        onClose();
}

void FakeSerialPort::settle() {
    for (qsizetype i = 0; i < pending_.size();) {
        if (TicksUntil(clock_.ticks(), pending_[i].tick) <= 0) {
            buffer_ += pending_[i].bytes;
            pending_.removeAt(i);
        } else {
            ++i;
        }
    }
}

int FakeSerialPort::charactersWaiting() {
    if (!open_)
        return 0;
    settle();
    return static_cast<int>(buffer_.size());
}

QByteArray FakeSerialPort::read() {
    if (!open_)
        return {};
    settle();
    const qsizetype n =
        readLength_ > 0 ? qMin<qsizetype>(readLength_, buffer_.size()) : buffer_.size();
    QByteArray out = buffer_.left(n);
    buffer_.remove(0, n);
    return out;
}

void FakeSerialPort::write(const QByteArray& text) {
    if (!open_)
        return;
    written << text;
    if (!queued_.empty()) {
        auto [bytes, delay] = queued_.front();
        queued_.pop_front();
        arriveAt(clock_.ticks() + delay, bytes);
        return;
    }
    for (const auto& [prefix, reply] : answers_) {
        if (text.startsWith(prefix)) {
            arriveAt(clock_.ticks() + reply.second, reply.first);
            return;
        }
    }
}

void FakeSerialPort::queueReply(const QByteArray& bytes, int delayMs) {
    queued_.emplace_back(bytes, delayMs);
}

void FakeSerialPort::answer(const QByteArray& prefix, const QByteArray& bytes, int delayMs) {
    for (auto& a : answers_) {
        if (a.first == prefix) {
            a.second = {bytes, delayMs};
            return;
        }
    }
    answers_.append({prefix, {bytes, delayMs}});
}

void FakeSerialPort::arriveAt(std::int32_t tick, const QByteArray& bytes) {
    pending_.append({tick, bytes});
}

void FakeSerialPort::vanish() {
    open_ = false;
    emit lost();
}

void FakeSerialPort::deliver(const QByteArray& bytes) {
    buffer_ += bytes;
    if (open_ && threshold_ > 0)
        emit received();
}

void RecordingOperator::message(const QString& text, const QString& caption) {
    messages.append({text, caption});
    if (duringMessage)
        duringMessage(text);
}

QString RecordingOperator::openFileName(const QString& filter, const QString& initialName) {
    fileFilters << filter;
    fileInitialNames << initialName;
    if (fileAnswers.empty())
        return {};
    QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

QStringList RecordingOperator::texts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

} // namespace corvale
