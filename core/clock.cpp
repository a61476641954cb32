#include "core/clock.h"

#include <cerrno>
#include <ctime>

namespace corvale {

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

QDateTime RealClock::now() {
    return QDateTime::currentDateTime();
}

} // namespace corvale
