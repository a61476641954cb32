#include "ctd/salinity.h"
#include "core/textnum.h"

#include <cmath>

namespace corvale {

namespace {

constexpr double a[6] = {0.0080, -0.1692, 25.3851, 14.0941, -7.0261, 2.7081};
constexpr double b[6] = {0.0005, -0.0056, -0.0066, -0.0375, 0.0636, -0.0144};
constexpr double c0 = 0.6766097, c1 = 2.00564e-2, c2 = 1.104259e-4, c3 = -6.9698e-7, c4 = 1.0031e-9;
constexpr double d1 = 3.426e-2, d2 = 4.464e-4, d3 = 4.215e-1, d4 = -3.107e-3;
constexpr double e1 = 2.070e-5, e2 = -6.370e-10, e3 = 3.989e-15;
constexpr double k = 0.0162;
// Conductivity of standard seawater, salinity 35 at 15 degrees and zero pressure.
constexpr double ReferenceConductivity = 42.914;

bool Finite(double v) {
    return std::isfinite(v);
}

// Sum of table[i] * RT^(i/2) for i = 0..5; RT^0 is 1 also for RT = 0.
double HalfPowerSum(const double (&table)[6], double RT) {
    double sum = 0;
    for (int i = 0; i < 6; ++i) {
        const double power = i == 0 ? 1.0 : std::pow(RT, i / 2.0);
        sum = sum + table[i] * power;
    }
    return sum;
}

} // namespace

std::optional<double> ComputeSalinity(double C, double T, double P) {
    if (!Finite(C) || !Finite(T) || !Finite(P))
        return std::nullopt;

    const double R = C / ReferenceConductivity;

    const double rpNumerator = (e1 + e2 * P) + e3 * std::pow(P, 2);
    const double rpDenominator = (((1 + d1 * T) + d2 * std::pow(T, 2)) + d3 * R) + d4 * R * T;
    if (!Finite(rpNumerator) || !Finite(rpDenominator) || rpDenominator == 0)
        return std::nullopt;
    const double Rp = 1 + P * rpNumerator / rpDenominator;

    const double rT =
        (((c0 + c1 * T) + c2 * std::pow(T, 2)) + c3 * std::pow(T, 3)) + c4 * std::pow(T, 4);
    if (!Finite(Rp) || !Finite(rT))
        return std::nullopt;

    const double RpRt = Rp * rT;
    if (!Finite(RpRt) || RpRt == 0)
        return std::nullopt;
    const double RT = R / RpRt;
    // A negative ratio has no real square root.
    if (!Finite(RT) || RT < 0)
        return std::nullopt;

    const double Sa = HalfPowerSum(a, RT);
    const double Sb = HalfPowerSum(b, RT);
    const double kDenominator = 1 + k * (T - 15);
    if (kDenominator == 0)
        return std::nullopt;
    const double S = Sa + ((T - 15) / kDenominator) * Sb;
    if (!Finite(Sa) || !Finite(Sb) || !Finite(S))
        return std::nullopt;

    return RoundHalfEven(S, 3);
}

} // namespace corvale
