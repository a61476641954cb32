#include "core/clock.h"

#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <ctime>

namespace corvale {

RealClock::RealClock() = default;
RealClock::~RealClock() = default;

std::int32_t RealClock::ticks() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

void RealClock::sleepUntil(std::int32_t tick) {
    // Sleep in whole-millisecond steps until the tick is reached; a distance
    // measured modulo 2^32 keeps the wait finite across a wrap.
    for (;;) {
        const std::int32_t left = TicksUntil(ticks(), tick);
        if (left <= 0)
            return;
        timespec ts{left / 1000, static_cast<long>(left % 1000) * 1000000L};
        while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
        }
    }
}

void LocalTimeCache::lookUp(qint64 ms) {
    ++lookups_;
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    qint64 until = ms + kZoneRecheckMs;
    if (zone.isValid()) {
        offsetSeconds_ = zone.offsetFromUtc(at);
        if (zone.hasTransitions()) {
            const QTimeZone::OffsetData next = zone.nextTransition(at);
            if (next.atUtc.isValid())
                until = std::min(until, next.atUtc.toMSecsSinceEpoch());
        }
    } else {
        // No zone data: the C library's answer, for this minute.
        offsetSeconds_ = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime).offsetFromUtc();
    }
    validFrom_ = ms;
    validUntil_ = std::max(until, ms + 1);
}

QDateTime LocalTimeCache::toLocal(qint64 ms) {
    if (ms < validFrom_ || ms >= validUntil_)
        lookUp(ms);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offsetSeconds_);
}

QDateTime RealClock::now() {
    return local_.toLocal(QDateTime::currentMSecsSinceEpoch());
}

bool RealClock::startWait(std::int32_t tick, std::function<void()> done) {
    const std::int32_t left = TicksUntil(ticks(), tick);
    if (left <= 0) {
        cancelWait();
        return false;
    }
    if (!timer_) {
        timer_ = std::make_unique<QTimer>();
        timer_->setSingleShot(true);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { onTimeout(); });
    }
    waitTick_ = tick;
    done_ = std::move(done);
    timer_->start(left);
    return true;
}

void RealClock::cancelWait() {
    if (timer_)
        timer_->stop();
    done_ = nullptr;
}

void RealClock::onTimeout() {
    // The timer and the tick count round differently; never end early.
    sleepUntil(waitTick_);
    auto done = std::move(done_);
    done_ = nullptr;
    if (done)
        done();
}

} // namespace corvale
