#pragma once
// The bus readings of the station: the poll of the digital inputs on Timer1
// and, once a second on tmrRPM, the pH, both motor speeds and the three motor
// currents. Each tick queues one job on the bus session; the readings are
// shown on the read-outs of the view and kept in the station state.

#include "bus/bustask.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QLabel;

namespace corvale {

class BusSession;
class IndicatorLamp;
class StationTimer;
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
    // switchPhReadingOff: the chart panel's pH switch, turned off as the
    // operator would when the pH module gives no valid reply.
    BusReadings(const BusReadingsView& view, StationState& state, BusSession& bus,
                StationTimer& poll, StationTimer& rpm, std::function<void()> switchPhReadingOff);

    // Timer1: one read of the digital inputs, shown on Label5 and the two
    // lamps; no valid reply closes the bus.
    BusTask<> PollDigitalInputs();
    // tmrRPM: pH (while switched on), speeds, currents.
    BusTask<> RpmCycle();

    BusTask<> ReadPh(QString address);
    BusTask<> ReadFrequency(QString address);
    void ShowThrusterWatts(const QString& reply);
    void ShowWaveWatts(const QString& reply);
    void ShowProfilerWatts(const QString& reply);

signals:
    // An RPM cycle ran to its end: the readings of this second are in.
    void cycleCompleted(const QDateTime& at);

private:
    BusReadingsView v_;
    StationState& state_;
    BusSession& bus_;
    StationTimer& poll_;
    StationTimer& rpm_;
    std::function<void()> switchPhReadingOff_;
};

} // namespace corvale
