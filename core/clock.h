#pragma once
// Time as the station reads it.

#include <QDateTime>
#include <cstdint>

namespace corvale {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int32_t ticks() = 0;               // millisecond tick count, wraps
    virtual void sleepUntil(std::int32_t tick) = 0; // no events processed
    virtual QDateTime now() = 0;                    // local date and time of day
};

// Signed distance from `from` to `to` on the wrapping 32-bit tick count.
inline std::int32_t TicksUntil(std::int32_t from, std::int32_t to) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(to) -
                                     static_cast<std::uint32_t>(from));
}

// The operating system's monotonic millisecond count; the wait sleeps.
class RealClock : public Clock {
public:
    std::int32_t ticks() override;
    void sleepUntil(std::int32_t tick) override;
    QDateTime now() override;
};

} // namespace corvale
