#include "sim/flumemodel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvale {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// An analog output module takes no more than this magnitude.
constexpr double kOutputRange = 10000.0;
constexpr double kThrusterFullHz = 1000.0 * FlumeModel::kThrusterHzPerUnit;
constexpr double kWaveFullHz = 5000.0 * FlumeModel::kWaveHzPerUnit;
constexpr double kWaveGear = 74.0;

double Wave(double t, double period, double phase) {
    return std::sin(kTwoPi * t / period + phase);
}

} // namespace

FlumeModel::FlumeModel(Settings settings)
    : settings_(settings), position_(std::clamp(settings.startPosition, 0.0, 1.0)),
      rng_(0x9e3779b97f4a7c15ull ^ settings.seed) {
    for (double& p : phase_)
        p = (noise(1.0) + 1.0) * std::numbers::pi;
}

double FlumeModel::noise(double scale) {
    // splitmix64: small, deterministic for a seed, good enough for drift.
    quint64 z = (rng_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    const double unit = static_cast<double>(z >> 11) / static_cast<double>(1ull << 53);
    return (unit * 2.0 - 1.0) * scale;
}

void FlumeModel::setOutput(int position, bool set) {
    if (position < 0 || position > 15)
        return;
    if (set)
        outputs_ |= 1 << position;
    else
        outputs_ &= ~(1 << position);
}

bool FlumeModel::output(int position) const {
    return position >= 0 && position <= 15 && (outputs_ & (1 << position)) != 0;
}

void FlumeModel::setAnalogOutput(char address, double value) {
    if (!std::isfinite(value))
        return;
    value = std::clamp(value, -kOutputRange, kOutputRange);
    switch (address) {
    case '0':
        thrusterSet_ = value;
        break;
    case '2':
        drive_ = value;
        break;
    case '3':
        waveSet_ = value;
        break;
    default:
        break;
    }
}

double FlumeModel::analogOutput(char address) const {
    switch (address) {
    case '0':
        return thrusterSet_;
    case '2':
        return drive_;
    case '3':
        return waveSet_;
    default:
        return 0;
    }
}

bool FlumeModel::carriageMoving() const {
    if (!profilerPowered() || drive_ == 0)
        return false;
    return drive_ > 0 ? upAllowed() : downAllowed();
}

void FlumeModel::advance(double seconds) {
    if (!(seconds > 0))
        return;
    time_ += seconds;

    // Motors: first-order lag towards the set point while powered, towards
    // standstill while not. A negative set point drives nothing.
    const double keep = std::exp(-seconds / std::max(settings_.lagSeconds, 1e-3));
    const double thrusterTarget =
        thrusterPowered() ? std::max(thrusterSet_, 0.0) * kThrusterHzPerUnit : 0.0;
    const double waveTarget = wavePowered() ? std::max(waveSet_, 0.0) * kWaveHzPerUnit : 0.0;
    thrusterHz_ = thrusterTarget + (thrusterHz_ - thrusterTarget) * keep;
    waveHz_ = waveTarget + (waveHz_ - waveTarget) * keep;
    paddlePhase_ = std::fmod(paddlePhase_ + kTwoPi * waveHz_ / kWaveGear * seconds, kTwoPi);

    // Carriage: moves only while powered and driven, and stops at the end
    // stops, where the limit switches cut the drive in that direction.
    if (carriageMoving()) {
        const double speed = std::min(std::abs(drive_) / kProfilerFullDrive, 1.0) /
                             std::max(settings_.travelSeconds, 1e-3);
        position_ = std::clamp(position_ + (drive_ > 0 ? speed : -speed) * seconds, 0.0, 1.0);
    }

    // Mean-reverting wander, bounded, so readings never sit perfectly still.
    const double k = std::exp(-seconds / 120.0);
    const double step = std::sqrt(std::min(seconds, 60.0));
    tempWander_ = std::clamp(tempWander_ * k + noise(0.05) * step, -0.5, 0.5);
    condWander_ = std::clamp(condWander_ * k + noise(0.05) * step, -0.5, 0.5);
    phWander_ = std::clamp(phWander_ * k + noise(0.002) * step, -0.02, 0.02);
}

int FlumeModel::digitalInputs() const {
    return (upAllowed() ? 2 : 0) | (downAllowed() ? 1 : 0);
}

double FlumeModel::thrusterCurrent() const {
    if (!thrusterPowered())
        return 0;
    const double load = thrusterHz_ / kThrusterFullHz;
    return 40.0 + 1210.0 * load * load;
}

double FlumeModel::waveCurrent() const {
    if (!wavePowered())
        return 0;
    // The paddle's load swings with each stroke.
    const double load = waveHz_ / kWaveFullHz;
    return 30.0 + 595.0 * load * (1.0 + 0.15 * std::sin(paddlePhase_));
}

double FlumeModel::profilerCurrent() const {
    if (!profilerPowered())
        return 0;
    if (!carriageMoving())
        return 15.0;
    return drive_ > 0 ? 260.0 : 180.0; // lifting costs more than lowering
}

double FlumeModel::ph() const {
    return 7.95 + 0.1 * Wave(time_, 1500, phase_[4]) + 0.02 * Wave(time_, 97, phase_[5]) +
           phWander_;
}

double FlumeModel::phMilliVolts() const {
    const double kelvin = temperature() + 273.15;
    return ((ph() - 7.0) * kNernstSlope * kelvin * kElectrodeSlope + kElectrodeOffset) * 1000.0;
}

double FlumeModel::temperature() const {
    const double t =
        14.0 + 4.5 * Wave(time_, 900, phase_[0]) + 1.0 * Wave(time_, 173, phase_[1]) + tempWander_;
    return std::clamp(t, 8.0, 20.0);
}

double FlumeModel::conductivity() const {
    // Warmer water conducts better. The whole range stays inside the
    // station's CTD chart at its start range (44 to 56), so a first run shows it.
    const double c =
        46.0 + (temperature() - 8.0) * 8.0 / 12.0 + 0.5 * Wave(time_, 311, phase_[2]) + condWander_;
    return std::clamp(c, 45.0, 55.0);
}

double FlumeModel::pressure() const {
    // A fixed depth, a little swell, and the generated waves passing over.
    const double waves = 0.2 * (waveHz_ / kWaveFullHz) * std::sin(paddlePhase_);
    return 10.0 + 0.03 * Wave(time_, 11, phase_[3]) + waves;
}

} // namespace corvale
