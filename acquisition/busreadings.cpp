#include "acquisition/busreadings.h"

#include "bus/bussession.h"
#include "bus/modulemap.h"
#include "bus/readings.h"
#include "core/state.h"
#include "core/stationtimer.h"
#include "core/textnum.h"
#include "widgets/indicatorlamp.h"

#include <QLabel>

namespace corvale {

BusReadings::BusReadings(const BusReadingsView& view, StationState& state, BusSession& bus,
                         StationTimer& poll, StationTimer& rpm)
    : v_(view), state_(state), bus_(bus), poll_(poll), rpm_(rpm) {
    bus_.setTimerJob(poll_, [this] { return PollDigitalInputs(); });
    bus_.setTimerJob(rpm_, [this] { return RpmCycle(); });
}

BusTask<> BusReadings::PollDigitalInputs() {
    const BusExchange x = co_await bus_.modules().ReadDigitalInputs(modules::kDigitalIo);
    if (!x.valid()) {
        co_await bus_.link().Alert(QStringLiteral("NO VALID RETURN FROM 1712"));
        bus_.closeAfterFailure(poll_);
        co_return;
    }
    const auto bits = DecodeDigitalInputs(x.reply.mid(1));
    if (!bits)
        co_return;
    v_.Label5->setText(*bits);
    const QStringList fields = bits->split(QLatin1Char(','));
    std::array<bool, 2> permitted{};
    for (int j = 0; j < 2; ++j) {
        const auto v = WireTextToNumber(fields.value(j));
        permitted[j] = v && *v == 1;
    }
    // Each permit is kept just before its lamp shows it: a lamp's change
    // runs the interlock, which judges from the permits as they stand.
    state_.PermitsAt = x.closedAt;
    bool* const permits[] = {&state_.UpPermitted, &state_.DownPermitted};
    for (int j = 0; j < 2; ++j) {
        *permits[j] = permitted[j];
        v_.lblStatus[j]->setValue(permitted[j]);
    }
}

BusTask<> BusReadings::RpmCycle() {
    if (state_.PhReadingEnabled)
        co_await ReadPh(modules::kPhElectrode);
    co_await ReadFrequency(modules::kThrusterFrequency);
    co_await ReadFrequency(modules::kWaveFrequency);
    // Each reading is kept whole before the next command goes out, so a
    // log record taken during a wait sees the last completed one.
    co_await ReadCurrent(modules::kThrusterCurrent, state_.ThrusterCurrent, ThrusterWatts,
                         v_.lblMtrCur);
    co_await ReadCurrent(modules::kWaveCurrent, state_.WaveCurrent, WaveWatts, v_.lblWaveCur);
    co_await ReadCurrent(modules::kProfilerCurrent, state_.ProfilerCurrent, ProfilerWatts,
                         v_.lblVPcur);
    // Stamped when the cycle's last reply window closed.
    emit cycleCompleted(bus_.link().lastExchange().closedAt);
}

void BusReadings::SetPhReadingEnabled(bool on) {
    state_.PhReadingEnabled = on;
    if (!on) {
        v_.lblmV->setText(QString());
        v_.lblpH->setText(QString());
    }
}

BusTask<> BusReadings::ReadPh(QString address) {
    const BusExchange x = co_await bus_.modules().ReadData(address);
    if (!x.valid()) {
        co_await bus_.link().Alert(QStringLiteral("NO VALID RETURN FROM pH MODULE"));
        // As if the operator had switched it off: the module is no longer
        // read and both pH labels are cleared.
        SetPhReadingEnabled(false);
        emit phReadingSwitchedOff();
        co_return;
    }
    const QString text = SpeedValueText(x.reply);
    if (text.isEmpty())
        co_return;
    // A value that is not a number leaves the last millivolts in place; the
    // pH is still worked out from them with the current calibration.
    if (const auto mv = WireTextToNumber(text))
        state_.PhMilliVolts.set(*mv, x.closedAt);
    state_.PhVolts = state_.PhMilliVolts.value / 1000;
    v_.lblmV->setText(NumberText(state_.PhMilliVolts.value));
    // A slope of 0 or an absolute zero temperature keeps the last pH.
    if (const auto ph = PhFromMillivolts(state_.PhMilliVolts.value, state_.CalOffset,
                                         state_.CalSlope, state_.CtdTemperature.value)) {
        // Worked out from the millivolts as read, at their time.
        state_.PhValue.set(*ph, state_.PhMilliVolts.at);
        v_.lblpH->setText(NumberText(state_.PhValue.value));
    }
}

BusTask<> BusReadings::ReadFrequency(QString address) {
    const BusExchange x = co_await bus_.modules().ReadData(address);
    const bool thruster = address == modules::kThrusterFrequency;
    if (!thruster && address != modules::kWaveFrequency)
        co_return;
    DghLink& link = bus_.link();
    if (!x.valid()) {
        if (thruster) {
            co_await link.Alert(QStringLiteral("NO VALID RETURN FROM Freq. MODULE"));
            co_return;
        }
        co_await link.Alert(
            QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\nClosing Comm Port"));
        bus_.closeAfterFailure(rpm_);
        co_return;
    }
    const QString text = SpeedValueText(x.reply);
    if (text.isEmpty())
        co_return;
    // A valid reply without a number keeps the last speed; the cycle goes on.
    const auto rpm = thruster ? ThrusterRpmValue(text) : WaveRpmValue(text);
    if (!rpm)
        co_return;
    Reading& kept = thruster ? state_.ThrusterRpm : state_.WaveRpm;
    kept.set(*rpm, x.closedAt);
    (thruster ? v_.lblThrustRPM : v_.lblWaveRPM)->setText(NumberText(kept.value));
}

BusTask<> BusReadings::ReadCurrent(QString address, CurrentReading& kept,
                                   double (*watts)(const QString&), QLabel* readout) {
    const BusExchange x = co_await bus_.modules().ReadData(address);
    // Whatever came back replaces the last current: a reply without a
    // number shows 0 W, which is no measurement.
    kept.reply = x.reply;
    kept.watts.value = watts(x.reply);
    kept.watts.at = CurrentReplyHasNumber(x.reply) ? x.closedAt : QDateTime();
    readout->setText(NumberText(kept.watts.value));
}

} // namespace corvale
