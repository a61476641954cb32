#pragma once
// The bus readings of the station: the poll of the digital inputs on Timer1
// and, once a second on tmrRPM, the pH, both motor speeds and the three motor
// currents. Also owns the actuator controllers, so the main window wires the
// whole bus side with one object.

#include <QObject>
#include <QString>
#include <memory>

namespace corvale {

class frmMain;
class MotorPanel;
class ProfilerControl;
class LampInterlock;
class StationTimer;

class Acquisition : public QObject {
    Q_OBJECT
public:
    explicit Acquisition(frmMain& main);
    ~Acquisition() override;

    // Timer1: one read of module 9's digital inputs, shown on Label5 and the
    // two lamps; no valid reply closes the bus.
    void PollDigitalInputs();
    // tmrRPM: pH (while switched on), speeds, currents.
    void RpmCycle();

    void ReadPh(const QString& address);
    void ReadFrequency(const QString& address);
    void ShowThrusterWatts(const QString& reply);
    void ShowWaveWatts(const QString& reply);
    void ShowProfilerWatts(const QString& reply);

private:
    // After a bus failure: stop the timer that met it, close the bus, red
    // light and "Comm port closed" on panel 4. Every step is attempted.
    void CloseBus(StationTimer& timer);

    frmMain& main_;
    std::unique_ptr<MotorPanel> thruster_;
    std::unique_ptr<MotorPanel> wave_;
    std::unique_ptr<ProfilerControl> profiler_;
    std::unique_ptr<LampInterlock> interlock_;
};

} // namespace corvale
