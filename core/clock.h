#pragma once
// Time as the station reads it.

#include <QDateTime>
#include <cstdint>
#include <functional>
#include <memory>

class QTimer;

namespace corvale {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int32_t ticks() = 0;               // millisecond tick count, wraps
    virtual void sleepUntil(std::int32_t tick) = 0; // no events processed
    virtual QDateTime now() = 0;                    // local date and time of day

    // The bus's reply wait. Arranges for `done` to run from the event loop
    // once the tick count has reached `tick`, leaving the thread free
    // meanwhile, and returns true. Returns false, without calling `done`,
    // when the wait is already over on return: this default sleeps through
    // it, as a clock that cannot wait asynchronously must. One wait at a
    // time; a new one replaces the one before.
    virtual bool startWait(std::int32_t tick, std::function<void()> done) {
        (void)done;
        sleepUntil(tick);
        return false;
    }
    // Drops the pending wait: its `done` never runs.
    virtual void cancelWait() {}
    // A clock that can jump (in tests) moves to its pending wait and runs
    // it; false when it has none or cannot jump.
    virtual bool skipToWait() { return false; }
};

// Signed distance from `from` to `to` on the wrapping 32-bit tick count.
inline std::int32_t TicksUntil(std::int32_t from, std::int32_t to) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(to) -
                                     static_cast<std::uint32_t>(from));
}

// Local time of an instant from the system's time zone without asking the
// system at each call (the C library checks its zone file at every local-time
// conversion): the zone's offset is taken once and holds until the zone's
// next transition; the zone itself is looked up again at most once a minute,
// as it may be changed under a running station. The result carries its
// offset, so reading its date and time asks nothing either.
class LocalTimeCache {
public:
    QDateTime toLocal(qint64 msecsSinceEpoch);
    // How often the zone was looked up (for tests and benchmarks).
    int lookups() const { return lookups_; }

    static constexpr qint64 kZoneRecheckMs = 60 * 1000;

private:
    void lookUp(qint64 msecsSinceEpoch);

    qint64 validFrom_ = 0;
    qint64 validUntil_ = 0; // empty range: look up at first use
    int offsetSeconds_ = 0;
    int lookups_ = 0;
};

// The operating system's monotonic millisecond count; the reply wait is a
// precise single-shot timer on the event loop.
class RealClock : public Clock {
public:
    RealClock();
    ~RealClock() override;
    std::int32_t ticks() override;
    void sleepUntil(std::int32_t tick) override;
    QDateTime now() override;
    bool startWait(std::int32_t tick, std::function<void()> done) override;
    void cancelWait() override;

private:
    void onTimeout();

    LocalTimeCache local_;
    std::unique_ptr<QTimer> timer_;
    std::int32_t waitTick_ = 0;
    std::function<void()> done_;
};

} // namespace corvale
