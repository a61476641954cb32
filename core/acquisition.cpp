#include "core/acquisition.h"

#include "actuators/interlock.h"
#include "actuators/motorpanel.h"
#include "actuators/profiler.h"
#include "charts/chartpanels.h"
#include "core/readings.h"
#include "core/textnum.h"
#include "ui/mainwindow.h"
#include "ui/widgets/indicatorlamp.h"
#include "ui/widgets/statusbar.h"

#include <QLabel>

namespace corvale {

namespace {
const QChar kCR(13);

QString ReadLine(const QString& address) {
    return QLatin1Char('$') + address + "RD" + kCR;
}
} // namespace

Acquisition::Acquisition(frmMain& main)
    : main_(main),
      thruster_(std::make_unique<MotorPanel>(main.cwThrust, main.sldThruster, main.CWNumEdit1,
                                             main.modules(), QStringLiteral("02"),
                                             QStringLiteral("0"))),
      wave_(std::make_unique<MotorPanel>(main.cwWave, main.sldWave, main.CWNumEdit2, main.modules(),
                                         QStringLiteral("04"), QStringLiteral("3"))),
      profiler_(std::make_unique<ProfilerControl>(main.cwVP, main.CWButtonUp, main.CWButtonDwn,
                                                  main.modules())),
      interlock_(
          std::make_unique<LampInterlock>(main.lblStatus, main.CWButtonUp, main.CWButtonDwn)) {
    main_.Timer1.setHandler([this] { PollDigitalInputs(); });
    main_.tmrRPM.setHandler([this] { RpmCycle(); });
}

Acquisition::~Acquisition() {
    main_.Timer1.setHandler({});
    main_.tmrRPM.setHandler({});
}

void Acquisition::PollDigitalInputs() {
    DghLink& link = main_.link();
    link.SendCommand(QStringLiteral("$9DI") + kCR);
    const QString reply = link.ReadReply();
    if (!IsValidReply(reply)) {
        link.operatorUi().message(QStringLiteral("NO VALID RETURN FROM 1712"));
        CloseBus(main_.Timer1);
        return;
    }
    const auto bits = DecodeDigitalInputs(reply.mid(1));
    if (!bits)
        return;
    main_.Label5->setText(*bits);
    const QStringList fields = bits->split(QLatin1Char(','));
    for (int j = 0; j < 2; ++j) {
        const auto v = WireTextToNumber(fields.value(j));
        main_.lblStatus[j]->setValue(v && *v == 1);
    }
}

void Acquisition::CloseBus(StationTimer& timer) {
    timer.setEnabled(false);
    SerialPort& port = main_.platform().MSComm1;
    if (port.isOpen())
        port.close();
    main_.StatusBar1->setPanelPicture(4, main_.iconPath(QStringLiteral("redlight.bmp")));
    main_.StatusBar1->setPanelText(4, QStringLiteral("Comm port closed"));
}

void Acquisition::RpmCycle() {
    StationState& s = main_.state();
    if (s.PhReadingEnabled)
        ReadPh(QStringLiteral("A"));
    ReadFrequency(QStringLiteral("1"));
    ReadFrequency(QStringLiteral("4"));
    ModuleOps& ops = main_.modules();
    s.ThrusterCurrentReply = ops.ReadData(QStringLiteral("5"));
    ShowThrusterWatts(s.ThrusterCurrentReply);
    s.WaveCurrentReply = ops.ReadData(QStringLiteral("6"));
    ShowWaveWatts(s.WaveCurrentReply);
    s.ProfilerCurrentReply = ops.ReadData(QStringLiteral("7"));
    ShowProfilerWatts(s.ProfilerCurrentReply);
}

void Acquisition::ReadPh(const QString& address) {
    DghLink& link = main_.link();
    link.SendCommand(ReadLine(address));
    const QString reply = link.ReadReply();
    if (!IsValidReply(reply)) {
        link.operatorUi().message(QStringLiteral("NO VALID RETURN FROM pH MODULE"));
        main_.charts().SwitchPhReadingOff();
        return;
    }
    const QString text = SpeedValueText(reply);
    if (text.isEmpty())
        return;
    StationState& s = main_.state();
    // A value that is not a number leaves the last millivolts in place; the
    // pH is still worked out from them with the current calibration.
    if (const auto mv = WireTextToNumber(text))
        s.PhMilliVolts = *mv;
    s.PhVolts = s.PhMilliVolts / 1000;
    main_.lblmV->setText(NumberText(s.PhMilliVolts));
    // A slope of 0 or an absolute zero temperature keeps the last pH.
    if (const auto ph =
            PhFromMillivolts(s.PhMilliVolts, s.CalOffset, s.CalSlope, s.CtdTemperature)) {
        s.PhValue = *ph;
        main_.lblpH->setText(NumberText(s.PhValue));
    }
}

void Acquisition::ReadFrequency(const QString& address) {
    DghLink& link = main_.link();
    link.SendCommand(ReadLine(address));
    const QString reply = link.ReadReply();
    const bool thruster = address == QLatin1String("1");
    if (!thruster && address != QLatin1String("4"))
        return;
    if (!IsValidReply(reply)) {
        if (thruster) {
            link.operatorUi().message(QStringLiteral("NO VALID RETURN FROM Freq. MODULE"));
            return;
        }
        link.operatorUi().message(QStringLiteral("NO VALID RETURN FROM Freq. MODULE\r\n"
                                                 "Closing Comm Port"));
        CloseBus(main_.tmrRPM);
        return;
    }
    const QString text = SpeedValueText(reply);
    if (text.isEmpty())
        return;
    // A valid reply without a number keeps the last speed; the cycle goes on.
    const auto rpm = thruster ? ThrusterRpmText(text) : WaveRpmText(text);
    if (!rpm)
        return;
    StationState& s = main_.state();
    if (thruster) {
        s.ThrusterRpm = *rpm;
        main_.lblThrustRPM->setText(*rpm);
    } else {
        s.WaveRpm = *rpm;
        main_.lblWaveRPM->setText(*rpm);
    }
}

void Acquisition::ShowThrusterWatts(const QString& reply) {
    main_.lblMtrCur->setText(NumberText(ThrusterWatts(reply)));
}

void Acquisition::ShowWaveWatts(const QString& reply) {
    main_.lblWaveCur->setText(NumberText(WaveWatts(reply)));
}

void Acquisition::ShowProfilerWatts(const QString& reply) {
    main_.lblVPcur->setText(NumberText(ProfilerWatts(reply)));
}

} // namespace corvale
