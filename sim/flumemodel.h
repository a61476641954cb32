#pragma once
// The flume as the simulator plays it: power relays, speed set points, the
// profiler carriage between its end stops, motor frequencies that follow
// their set points with a first-order lag, motor currents, a drifting pH
// and the water that the CTD measures. Time moves only through advance().

#include <QtGlobal>

#include <array>

namespace corvale {

class FlumeModel {
public:
    struct Settings {
        double lagSeconds = 2.0;     // time constant of the motor frequency
        double travelSeconds = 20.0; // bottom to top at full drive
        double startPosition = 0.5;  // carriage, 0 = bottom end stop, 1 = top
        quint32 seed = 1;            // for the small noise on the readings
    };

    // Motor frequency per unit of set point. Full slider travel (thruster
    // 1000, wave generator 5000) gives 25 Hz = 1500 RPM at the thruster and
    // 74 Hz = 60 RPM at the wave generator's 74:1 gear.
    static constexpr double kThrusterHzPerUnit = 0.025;
    static constexpr double kWaveHzPerUnit = 0.0148;
    static constexpr double kProfilerFullDrive = 5000.0;
    // The pH electrode as the station's start calibration reads it.
    static constexpr double kNernstSlope = 0.000198416;
    static constexpr double kElectrodeSlope = 4.5;
    static constexpr double kElectrodeOffset = 2.5;

    explicit FlumeModel(Settings settings);
    FlumeModel() : FlumeModel(Settings{}) {}

    void advance(double seconds);
    double time() const { return time_; }

    // Relay outputs of module "9": a set position is power off.
    void setOutput(int position, bool set);
    bool output(int position) const;
    bool thrusterPowered() const { return !output(2); }
    bool profilerPowered() const { return !output(3); }
    bool wavePowered() const { return !output(4); }

    // Analog outputs "0" (thruster), "2" (profiler drive), "3" (wave).
    void setAnalogOutput(char address, double value);
    double analogOutput(char address) const;

    double thrusterFrequency() const { return thrusterHz_; }
    double waveFrequency() const { return waveHz_; }

    double carriagePosition() const { return position_; }
    bool upAllowed() const { return position_ < 1.0; }
    bool downAllowed() const { return position_ > 0.0; }
    // The 16-bit input word of module "9": bit 1 up allowed, bit 0 down.
    int digitalInputs() const;

    // Readings of the current modules "5", "6", "7" in module units; the
    // station shows v * 0.096 W for each.
    double thrusterCurrent() const;
    double waveCurrent() const;
    double profilerCurrent() const;

    double ph() const;
    // Electrode voltage for the present pH at the CTD temperature.
    double phMilliVolts() const;

    double conductivity() const; // mS/cm, 45 to 55
    double temperature() const;  // degrees C, 8 to 20
    double pressure() const;     // dbar, near 10

private:
    double noise(double scale);
    bool carriageMoving() const;

    Settings settings_;
    double time_ = 0;
    int outputs_ = 0xffff; // every relay set: all motors off at start
    double thrusterSet_ = 0;
    double waveSet_ = 0;
    double drive_ = 0;
    double thrusterHz_ = 0;
    double waveHz_ = 0;
    double position_;
    double paddlePhase_ = 0;
    std::array<double, 6> phase_{};
    // Slow, mean-reverting wander added to the periodic drifts.
    double tempWander_ = 0;
    double condWander_ = 0;
    double phWander_ = 0;
    quint64 rng_;
};

} // namespace corvale
