#pragma once
// The arithmetic of the bus readings: the digit decoding of the poll, the pH
// conversion and the motor speeds and powers. Pure and callable without a
// port or a window; the controllers show and keep what these return.

#include <QString>
#include <optional>

namespace corvale {

// The data of a digital-input reply (the reply without its "*"): the two
// lowest bits of the fourth digit as "b1,b0". An unrecognised digit reuses
// the bits of the digit before it; empty when the poll ends quietly (no
// data, or no recognised first digit).
std::optional<QString> DecodeDigitalInputs(const QString& data);

// The Nernst relation with the probe calibration and the water temperature,
// rounded half-even to 4 decimals. Empty when the division cannot be made
// (slope 0, absolute temperature 0) or the result is not finite.
std::optional<double> PhFromMillivolts(double milliVolts, double offset, double slope,
                                       double temperatureC);

// Characters 3 onward of a reply, at most `count` of them: the marker and the
// sign position are not part of a value.
QString ReplyValueText(const QString& reply, int count);
inline QString SpeedValueText(const QString& reply) {
    return ReplyValueText(reply, 8);
}
inline QString CurrentValueText(const QString& reply) {
    return ReplyValueText(reply, 7);
}

// Motor speeds in RPM from the value text of a frequency reply, rounded to
// 2 decimals as kept (and shown in the regional form). A frequency above
// 90000 counts as 0. Empty when the text is not a number (the last speed
// stays).
std::optional<double> ThrusterRpmValue(const QString& valueText);
std::optional<double> WaveRpmValue(const QString& valueText);

// Motor powers in watts from a current module's reply, rounded to 2
// decimals; 0 when the reply carries no number at characters 3 to 9 or is
// not a valid reply (a "?" rejection carries an error code, not a current).
double ThrusterWatts(const QString& reply);
// Whether a current reply carries a number at all: the 0 watts shown for
// one that does not is no measurement.
bool CurrentReplyHasNumber(const QString& reply);
double WaveWatts(const QString& reply);
double ProfilerWatts(const QString& reply);

} // namespace corvale
