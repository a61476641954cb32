#include "bus/readings.h"

#include "bus/dghlink.h"
#include "bus/modulemap.h"
#include "core/textnum.h"

#include <cmath>

namespace corvale {

namespace {

// Bits of one hexadecimal digit, most significant first; upper case only.
std::optional<QString> DigitBits(QChar digit) {
    int v = -1;
    if (digit >= QLatin1Char('0') && digit <= QLatin1Char('9'))
        v = digit.unicode() - '0';
    else if (digit >= QLatin1Char('A') && digit <= QLatin1Char('F'))
        v = digit.unicode() - 'A' + 10;
    if (v < 0)
        return std::nullopt;
    return QStringLiteral("%1,%2,%3,%4")
        .arg((v >> 3) & 1)
        .arg((v >> 2) & 1)
        .arg((v >> 1) & 1)
        .arg(v & 1);
}

// A number through its text form, as the station keeps each intermediate.
std::optional<double> ThroughText(double value) {
    return WireTextToNumber(WireNumberText(value));
}

// f x 60 / divisor, where a frequency above 90000 counts as 0.
std::optional<double> Rpm(const QString& valueText, double divisor) {
    const auto f = WireTextToNumber(valueText);
    if (!f)
        return std::nullopt;
    const double hz = *f > modules::kFrequencyLimit ? 0 : *f;
    const auto rpm = ThroughText(hz * modules::kSecondsPerMinute / divisor);
    if (!rpm)
        return std::nullopt;
    return RoundHalfEven(*rpm, 2);
}

// One step of a watts conversion on the text the previous step left; a step
// that cannot read its text leaves it as it was.
void Step(QString& t, double (*op)(double)) {
    if (const auto v = WireTextToNumber(t))
        t = WireNumberText(op(*v));
}

// The last step: w starts at 0 and stays 0 when t is not a number.
double Watts(const QString& t, double factor) {
    double w = 0;
    if (const auto v = WireTextToNumber(t))
        w = *v * factor;
    return std::isfinite(w) ? RoundHalfEven(w, 2) : 0;
}

} // namespace

std::optional<QString> DecodeDigitalInputs(const QString& data) {
    if (data.isEmpty())
        return std::nullopt;
    QString bits;
    QString pattern;
    for (int i = 0; i < 4; ++i) {
        if (i < data.size()) {
            if (auto b = DigitBits(data[i]))
                pattern = *b;
        }
        if (pattern.isEmpty())
            return std::nullopt;
        bits += QLatin1Char(',') + pattern;
    }
    return bits.right(3);
}

std::optional<double> PhFromMillivolts(double milliVolts, double offset, double slope,
                                       double temperatureC) {
    const double volts = milliVolts / 1000;
    const double kelvin = temperatureC + 273.15;
    if (slope == 0 || kelvin == 0)
        return std::nullopt;
    const double ph = ((volts - offset) / 0.000198416) / slope / kelvin + 7;
    if (!std::isfinite(ph))
        return std::nullopt;
    return RoundHalfEven(ph, 4);
}

QString ReplyValueText(const QString& reply, int count) {
    return reply.mid(2, count);
}

std::optional<double> ThrusterRpmValue(const QString& valueText) {
    return Rpm(valueText, 1);
}

std::optional<double> WaveRpmValue(const QString& valueText) {
    return Rpm(valueText, modules::kWaveGearRatio);
}

// A rejected reply ("?01") carries a module error code, not a current.
static QString CurrentText(const QString& reply) {
    return IsValidReply(reply) ? CurrentValueText(reply) : QString();
}

bool CurrentReplyHasNumber(const QString& reply) {
    return WireTextToNumber(CurrentText(reply)).has_value();
}

double ThrusterWatts(const QString& reply) {
    QString t = CurrentText(reply);
    Step(t, [](double v) { return v / modules::kThrusterCurrentScale; });
    Step(t, [](double v) { return v * modules::kThrusterCurrentGain; });
    return Watts(t, modules::kThrusterVolts);
}

double WaveWatts(const QString& reply) {
    QString t = CurrentText(reply);
    Step(t, [](double v) { return v / modules::kSmallMotorCurrentScale; });
    return Watts(t, modules::kSmallMotorVolts);
}

double ProfilerWatts(const QString& reply) {
    return WaveWatts(reply);
}

} // namespace corvale
