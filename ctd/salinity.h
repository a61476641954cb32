#pragma once
// Practical salinity (PSS-78) of one CTD reading.

#include <optional>

namespace corvale {

// C conductivity in mS/cm, T temperature in degrees Celsius, P sea pressure
// in dbar. Returns the salinity rounded to 3 decimals (half to even), or
// nothing when the formula has no value for these inputs: a negative
// conductivity ratio, a zero denominator, or an intermediate that overflows.
// No range check: the formula is applied to any finite input.
std::optional<double> ComputeSalinity(double C, double T, double P);

} // namespace corvale
