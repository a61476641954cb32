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

// One reading: its value and when it was read. A reading not taken in this
// run has no time; its value (the 0 the station starts with, or a figure
// worked out from one) is still shown and logged, but it is no measurement,
// so the ship feed leaves it out.
struct Reading {
    double value = 0;
    QDateTime at;

    bool known() const { return at.isValid(); }
    void set(double v, const QDateTime& when) {
        value = v;
        at = when;
    }
};

// A motor current: the power worked out from its module's last reply, and
// that reply as it came, which the log writes whole ("TIMEOUT", "?01" ...).
struct CurrentReading {
    Reading watts; // not known while the last reply carries no number
    QString reply;
};

struct StationState {
    // Whether the RPM cycle reads the pH module (the cwbPh switch).
    bool PhReadingEnabled = false;

    // Calibration in memory; the start step sets 4.5 and 2.5.
    double CalSlope = 0;
    double CalOffset = 0;
    QString CalSerialNum;
    QDateTime CalDate = ZeroDate();

    // Readings: each keeps its last value when a later read fails.
    Reading PhMilliVolts;
    double PhVolts = 0;
    Reading PhValue; // known once worked out from millivolts that were read
    Reading CtdConductivity;
    Reading CtdTemperature;
    Reading CtdPressure;
    Reading CtdSalinity; // known once worked out from three read values
    Reading ThrusterRpm;
    Reading WaveRpm;
    CurrentReading ThrusterCurrent;
    CurrentReading WaveCurrent;
    CurrentReading ProfilerCurrent;

    // The profiler's end-stop permits from the last poll of the digital
    // inputs (bit 0 up, bit 1 down); PermitsAt is invalid before the first.
    bool UpPermitted = false;
    bool DownPermitted = false;
    QDateTime PermitsAt;

    // Full path of the chosen log file; kept for the whole run.
    QString LogFileName;
};

} // namespace corvale
