#pragma once
// The DGH bus as the station wires it: every module address, relay position
// and scale in one place. Commands are built from these by the module
// operations; nothing else spells an address.

#include <QString>

namespace corvale::modules {

// Addresses, one character each.
inline const QString kThrusterSpeedOut = QStringLiteral("0");  // analog output
inline const QString kThrusterFrequency = QStringLiteral("1"); // frequency input
inline const QString kProfilerDrive = QStringLiteral("2");     // analog output
inline const QString kWaveSpeedOut = QStringLiteral("3");      // analog output
inline const QString kWaveFrequency = QStringLiteral("4");     // frequency input
inline const QString kThrusterCurrent = QStringLiteral("5");   // analog input
inline const QString kWaveCurrent = QStringLiteral("6");       // analog input
inline const QString kProfilerCurrent = QStringLiteral("7");   // analog input
inline const QString kDigitalIo = QStringLiteral("9");         // relays and end-stop inputs
inline const QString kPhElectrode = QStringLiteral("A");       // analog input, millivolts

// Relay positions on the digital module; a cleared position is power on.
inline const QString kThrusterRelay = QStringLiteral("02");
inline const QString kProfilerRelay = QStringLiteral("03");
inline const QString kWaveRelay = QStringLiteral("04");

// The profiler drive's value while it moves, and at rest.
inline const QString kProfilerDriveValue = QStringLiteral("5000");
inline const QString kProfilerStopValue = QStringLiteral("0");

// Scales of the readings.
inline constexpr double kFrequencyLimit = 90000;      // above it a frequency counts as 0
inline constexpr double kSecondsPerMinute = 60;       // Hz to RPM
inline constexpr double kWaveGearRatio = 74;          // wave generator RPM divisor
inline constexpr double kThrusterCurrentScale = 1000; // v / 1000 x 2 x 48
inline constexpr double kThrusterCurrentGain = 2;
inline constexpr double kThrusterVolts = 48;
inline constexpr double kSmallMotorCurrentScale = 250; // v / 250 x 24
inline constexpr double kSmallMotorVolts = 24;

} // namespace corvale::modules
