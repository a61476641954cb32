#pragma once
// The bus readings of the station: the poll of the digital inputs on Timer1
// and, once a second on tmrRPM, the pH, both motor speeds and the three motor
// currents. Each tick queues one job on the bus session; the readings are
// shown on the read-outs of the view and kept in the station state.

#include "bus/bustask.h"

#include <QObject>
#include <QString>
#include <array>

class QLabel;

namespace corvale {

class BusSession;
class IndicatorLamp;
class StationTimer;
struct CurrentReading;
struct StationState;

// The read-outs the bus readings write.
struct BusReadingsView {
    QLabel* Label5;
    std::array<IndicatorLamp*, 2> lblStatus;
    QLabel* lblmV;
    QLabel* lblpH;
    QLabel* lblThrustRPM;
    QLabel* lblWaveRPM;
    QLabel* lblMtrCur;
    QLabel* lblWaveCur;
    QLabel* lblVPcur;
};

class BusReadings : public QObject {
    Q_OBJECT
public:
    BusReadings(const BusReadingsView& view, StationState& state, BusSession& bus,
                StationTimer& poll, StationTimer& rpm);

    // Timer1: one read of the digital inputs, kept as the two end-stop
    // permits and shown on Label5 and the two lamps; no valid reply closes
    // the bus.
    BusTask<> PollDigitalInputs();
    // tmrRPM: pH (while switched on), speeds, currents.
    BusTask<> RpmCycle();

    // The pH switch (cwbPh): whether the RPM cycle reads the pH module.
    // Off clears both pH labels.
    void SetPhReadingEnabled(bool on);

    BusTask<> ReadPh(QString address);
    BusTask<> ReadFrequency(QString address);

signals:
    // An RPM cycle ran to its end: the readings of this second are in.
    void cycleCompleted(const QDateTime& at);
    // The pH module failed and pH reading was switched off: the switch is
    // to show it.
    void phReadingSwitchedOff();

private:
    BusTask<> ReadCurrent(QString address, CurrentReading& kept, double (*watts)(const QString&),
                          QLabel* readout);

    BusReadingsView v_;
    StationState& state_;
    BusSession& bus_;
    StationTimer& poll_;
    StationTimer& rpm_;
};

} // namespace corvale
