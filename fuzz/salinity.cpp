// The station's arithmetic on any doubles, NaN and infinities included:
// salinity, pH, half-to-even rounding and the shortest number text, which
// read back gives the same number.

#include "ctd/salinity.h"
#include "bus/readings.h"
#include "core/textnum.h"
#include "fuzz/fuzzcheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>

using namespace corvale;

namespace {

// Written, read back and written again: the text and the number hold.
void CheckWireRoundTrip(double x) {
    if (!std::isfinite(x))
        return;
    const QString text = WireNumberText(x);
    const auto back = WireTextToNumber(text);
    FUZZ_CHECK(back.has_value(), text);
    const QString again = WireNumberText(*back);
    const auto backAgain = WireTextToNumber(again);
    FUZZ_CHECK(backAgain.has_value() && *backAgain == *back, again);
    FUZZ_CHECK(std::fabs(*back - x) <= std::fabs(x) * 1e-14, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const double C = AnyDouble(in);
    const double T = AnyDouble(in);
    const double P = AnyDouble(in);
    const double x = AnyDouble(in);
    const int decimals = in.ConsumeIntegralInRange<int>(-1, 20);

    if (const auto s = ComputeSalinity(C, T, P)) {
        FUZZ_CHECK(std::isfinite(*s), WireNumberText(*s));
        FUZZ_CHECK(RoundHalfEven(*s, 3) == *s, WireNumberText(*s));
    }
    if (const auto ph = PhFromMillivolts(C, T, P, x))
        FUZZ_CHECK(std::isfinite(*ph), WireNumberText(*ph));

    const double r = RoundHalfEven(x, decimals);
    if (std::isfinite(x) && decimals >= 0) {
        FUZZ_CHECK(std::isfinite(r), WireNumberText(x));
        FUZZ_CHECK(RoundHalfEven(r, decimals) == r, WireNumberText(x));
    }

    for (const double v : {C, T, P, x, r})
        CheckWireRoundTrip(v);
    FormatFourDecimals(x);
    FormatDayFraction(x);
    return 0;
}
