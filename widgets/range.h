#pragma once
// A scale's ends as the widgets accept them: finite, lowest first.

#include <cmath>
#include <utility>

namespace corvale {

inline void NormalizeRange(double& minimum, double& maximum) {
    if (!std::isfinite(minimum))
        minimum = 0;
    if (!std::isfinite(maximum))
        maximum = minimum;
    if (minimum > maximum)
        std::swap(minimum, maximum);
}

} // namespace corvale
