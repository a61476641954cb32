#pragma once
// Program-wide state of the station: the one place where the readings, the
// calibration in use and the pH switch live. Every subsystem reads and writes
// these fields directly; none keeps a second copy.

#include <QDateTime>
#include <QString>

namespace corvale {

// The date a calibration carries before one has been saved in this run.
inline QDateTime ZeroDate() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

struct StationState {
    bool PhReadingEnabled = false;

    // Calibration in memory; the start step sets 4.5 and 2.5.
    double CalSlope = 0;
    double CalOffset = 0;
    QString CalSerialNum;
    QDateTime CalDate = ZeroDate();

    // Readings: each keeps its last value when a later read fails.
    double PhMilliVolts = 0;
    double PhVolts = 0;
    double PhValue = 0;
    double CtdConductivity = 0;
    double CtdTemperature = 0;
    double CtdPressure = 0;
    double CtdSalinity = 0;
    // Whether each number above has been read at all in this run: the 0
    // they start with is no measurement, so the ship feed leaves it out.
    bool PhMilliVoltsKnown = false;
    bool PhValueKnown = false;
    bool CtdConductivityKnown = false;
    bool CtdTemperatureKnown = false;
    bool CtdPressureKnown = false;
    bool CtdSalinityKnown = false;
    bool PermitsKnown = false; // the end-stop lamps have been polled
    QString ThrusterRpm;
    QString WaveRpm;
    QString ThrusterCurrentReply;
    QString WaveCurrentReply;
    QString ProfilerCurrentReply;

    // Full path of the chosen log file; kept for the whole run.
    QString LogFileName;
};

} // namespace corvale
