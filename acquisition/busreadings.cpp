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
                         StationTimer& poll, StationTimer& rpm,
                         std::function<void()> switchPhReadingOff)
    : v_(view), state_(state), bus_(bus), poll_(poll), rpm_(rpm),
      switchPhReadingOff_(std::move(switchPhReadingOff)) {
    bus_.setTimerJob(poll_, [this] { return PollDigitalInputs(); });
    bus_.setTimerJob(rpm_, [this] { return RpmCycle(); });
}

BusTask<> BusReadings::PollDigitalInputs() {
    const QString reply = co_await bus_.modules().ReadDigitalInputs(modules::kDigitalIo);
    if (!IsValidReply(reply)) {
        co_await bus_.link().Alert(QStringLiteral("NO VALID RETURN FROM 1712"));
        bus_.closeAfterFailure(poll_);
        co_return;
    }
    const auto bits = DecodeDigitalInputs(reply.mid(1));
    if (!bits)
        co_return;
    v_.Label5->setText(*bits);
    const QStringList fields = bits->split(QLatin1Char(','));
    for (int j = 0; j < 2; ++j) {
        const auto v = WireTextToNumber(fields.value(j));
        v_.lblStatus[j]->setValue(v && *v == 1);
    }
    state_.PermitsKnown = true;
}

BusTask<> BusReadings::RpmCycle() {
    if (state_.PhReadingEnabled)
        co_await ReadPh(modules::kPhElectrode);
    co_await ReadFrequency(modules::kThrusterFrequency);
    co_await ReadFrequency(modules::kWaveFrequency);
    ModuleOps& ops = bus_.modules();
    // Each reading is kept whole before the next command goes out, so a
    // log record taken during a wait sees the last completed one.
    QString reply = co_await ops.ReadData(modules::kThrusterCurrent);
    state_.ThrusterCurrentReply = reply;
    ShowThrusterWatts(reply);
    reply = co_await ops.ReadData(modules::kWaveCurrent);
    state_.WaveCurrentReply = reply;
    ShowWaveWatts(reply);
    reply = co_await ops.ReadData(modules::kProfilerCurrent);
    state_.ProfilerCurrentReply = reply;
    ShowProfilerWatts(reply);
    // Stamped when the cycle's last reply window closed.
    emit cycleCompleted(bus_.link().lastExchange().closedAt);
}

BusTask<> BusReadings::ReadPh(QString address) {
    const QString reply = co_await bus_.modules().ReadData(address);
    if (!IsValidReply(reply)) {
        co_await bus_.link().Alert(QStringLiteral("NO VALID RETURN FROM pH MODULE"));
        if (switchPhReadingOff_)
            switchPhReadingOff_();
        co_return;
    }
    const QString text = SpeedValueText(reply);
    if (text.isEmpty())
        co_return;
    // A value that is not a number leaves the last millivolts in place; the
    // pH is still worked out from them with the current calibration.
    if (const auto mv = WireTextToNumber(text)) {
        state_.PhMilliVolts = *mv;
        state_.PhMilliVoltsKnown = true;
    }
    state_.PhVolts = state_.PhMilliVolts / 1000;
    v_.lblmV->setText(NumberText(state_.PhMilliVolts));
    // A slope of 0 or an absolute zero temperature keeps the last pH.
    if (const auto ph = PhFromMillivolts(state_.PhMilliVolts, state_.CalOffset, state_.CalSlope,
                                         state_.CtdTemperature)) {
        state_.PhValue = *ph;
        state_.PhValueKnown = state_.PhMilliVoltsKnown;
        v_.lblpH->setText(NumberText(state_.PhValue));
    }
}

BusTask<> BusReadings::ReadFrequency(QString address) {
    const QString reply = co_await bus_.modules().ReadData(address);
    const bool thruster = address == modules::kThrusterFrequency;
    if (!thruster && address != modules::kWaveFrequency)
        co_return;
    DghLink& link = bus_.link();
    if (!IsValidReply(reply)) {
        if (thruster) {
            co_await link.Alert(QStringLiteral("NO VALID RETURN FROM Freq. MODULE"));
            co_return;
        }
        co_await link.Alert(
            QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\nClosing Comm Port"));
        bus_.closeAfterFailure(rpm_);
        co_return;
    }
    const QString text = SpeedValueText(reply);
    if (text.isEmpty())
        co_return;
    // A valid reply without a number keeps the last speed; the cycle goes on.
    const auto rpm = thruster ? ThrusterRpmText(text) : WaveRpmText(text);
    if (!rpm)
        co_return;
    if (thruster) {
        state_.ThrusterRpm = *rpm;
        v_.lblThrustRPM->setText(*rpm);
    } else {
        state_.WaveRpm = *rpm;
        v_.lblWaveRPM->setText(*rpm);
    }
}

void BusReadings::ShowThrusterWatts(const QString& reply) {
    v_.lblMtrCur->setText(NumberText(ThrusterWatts(reply)));
}

void BusReadings::ShowWaveWatts(const QString& reply) {
    v_.lblWaveCur->setText(NumberText(WaveWatts(reply)));
}

void BusReadings::ShowProfilerWatts(const QString& reply) {
    v_.lblVPcur->setText(NumberText(ProfilerWatts(reply)));
}

} // namespace corvale
