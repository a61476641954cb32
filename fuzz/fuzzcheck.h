#pragma once
// Shared by the fuzz targets: a property that fails aborts, so libFuzzer
// keeps the input as a finding like any crash.

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace corvale {

#define FUZZ_CHECK(cond, what)                                                                     \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "property failed: %s (%s)\n", #cond, qPrintable(what));           \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// One line: no carriage return, no line feed.
inline bool IsOneLine(const QString& line) {
    return !line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n'));
}

// Any bit pattern as a double (NaN and infinities too); 0 when the input
// has run out.
inline double AnyDouble(FuzzedDataProvider& in) {
    double v = 0;
    const auto bytes = in.ConsumeBytes<std::uint8_t>(sizeof v);
    if (!bytes.empty())
        std::memcpy(&v, bytes.data(), bytes.size());
    return v;
}

} // namespace corvale
