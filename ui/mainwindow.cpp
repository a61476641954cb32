#include "ui/mainwindow.h"

#include "about/frmabout.h"
#include "about/registry.h"
#include "acquisition/busreadings.h"
#include "actuators/interlock.h"
#include "actuators/motorpanel.h"
#include "actuators/profiler.h"
#include "bus/faults.h"
#include "bus/modulemap.h"
#include "bus/serialdevices.h"
#include "calibration/calibrationcontrol.h"
#include "charts/chartpanels.h"
#include "ctd/ctdpanel.h"
#include "feed/eventmarks.h"
#include "feed/frmfeed.h"
#include "feed/replayrun.h"
#include "feed/shipfeed.h"
#include "feed/stationfeed.h"
#include "health/frmhealth.h"
#include "health/linkhealth.h"
#include "health/stalemarks.h"
#include "logging/loggingcontrol.h"
#include "portdialog/busstatuspanel.h"
#include "portdialog/frmdevices.h"
#include "portdialog/frmfaults.h"
#include "review/frmreview.h"
#include "widgets/knob.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

namespace corvale {

frmMain::frmMain(Platform platform, QWidget* parent) : QMainWindow(parent), platform_(platform) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Corvale II"));

    Timer1.setInterval(250);
    tmrRPM.setInterval(1000);
    tmrPlot.setInterval(1000);
    tmrCTDplot.setInterval(500);
    tmrlogger.setEnabled(true); // no interval yet: ticks once logging gives one

    buildMenus();
    buildToolbar();
    // On a small screen the central area scrolls once its layout can shrink
    // no further, so the window and its status bar stay on the screen.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("centralScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* central = new QWidget(scroll);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(6);
    column->addWidget(buildInstrumentPanel());
    auto* actuators = new QHBoxLayout;
    actuators->setSpacing(6);
    actuators->addWidget(buildActuatorFrame(true), 1);
    actuators->addWidget(buildActuatorFrame(false), 1);
    column->addLayout(actuators);
    column->addWidget(buildChartFrame(), 1);
    scroll->setWidget(central);
    setCentralWidget(scroll);
    buildStatusBar();
    wireMenus();

    // Controllers are created after the widgets and before the start step,
    // so the start step's knob writes reach their handlers.
    wireControllers();
    StartStep();
}

frmMain::~frmMain() {
    ShutdownStep();
    replay_.reset();
    // The windows that show the controllers go before them.
    delete healthWindow_.get();
    delete faultsWindow_.get();
    comms_.reset();
    staleMarks_.reset();
    health_.reset();
    marks_.reset();
    stationFeed_.reset();
    calibration_.reset();
    logging_.reset();
    ctd_.reset();
    interlock_.reset();
    profiler_.reset();
    wave_.reset();
    thruster_.reset();
    readings_.reset();
    charts_.reset();
    busPanel_.reset();
    // Before the timers it drives are gone.
    delete bus_;
    bus_ = nullptr;
}

void frmMain::wireControllers() {
    const QString icons = platform_.programDir + QStringLiteral("/icons");
    bus_ = new BusSession(platform_.MSComm1, platform_.clock, sink_, Timer1, tmrRPM, this);
    busPanel_ = std::make_unique<BusStatusPanel>(*bus_, StatusPanel(*StatusBar1, 4, icons));
    charts_ = std::make_unique<ChartPanels>(
        ChartPanelsView{CWGraph1, CWpHmin, CWpHmax, GraphMode, CWButton1, cwPlot, cwbPh, CWGraph2,
                        CWKnobCTDmin, CWKnobCTDmax, CTDgraphMode, cwCTDreset, cwCTDplot, &tmrPlot,
                        &tmrCTDplot},
        state_, platform_.clock, StatusPanel(*StatusBar1, 2, icons),
        StatusPanel(*StatusBar1, 3, icons));
    readings_ =
        std::make_unique<BusReadings>(BusReadingsView{Label5, lblStatus, lblmV, lblpH, lblThrustRPM,
                                                      lblWaveRPM, lblMtrCur, lblWaveCur, lblVPcur},
                                      state_, *bus_, Timer1, tmrRPM);
    // The pH switch is shown by the chart panel and read by the RPM cycle.
    connect(charts_.get(), &ChartPanels::phReadingSwitched, readings_.get(),
            &BusReadings::SetPhReadingEnabled);
    connect(readings_.get(), &BusReadings::phReadingSwitchedOff, charts_.get(),
            &ChartPanels::SwitchPhReadingOff);
    thruster_ = std::make_unique<MotorPanel>(cwThrust, sldThruster, CWNumEdit1, *bus_,
                                             modules::kThrusterRelay, modules::kThrusterSpeedOut);
    wave_ = std::make_unique<MotorPanel>(cwWave, sldWave, CWNumEdit2, *bus_, modules::kWaveRelay,
                                         modules::kWaveSpeedOut);
    profiler_ = std::make_unique<ProfilerControl>(cwVP, CWButtonUp, CWButtonDwn, *bus_);
    interlock_ =
        std::make_unique<LampInterlock>(lblStatus, state_, CWButtonUp, CWButtonDwn, *profiler_);
    ctd_ = std::make_unique<CtdPanel>(
        CtdPanelView{cwCTDflag, lblConduct, lblTemp, lblPress, lblSalinity}, platform_.MSCommCTD,
        sink_, state_, platform_.clock);
    logging_ = std::make_unique<LoggingControl>(LoggingView{mnuStart, mnuStop, &tmrlogger, this},
                                                StatusPanel(*StatusBar1, 1, icons), state_,
                                                platform_.clock, sink_);
    calibration_ = std::make_unique<CalibrationControl>(lblpHdata, state_, sink_, this);

    // The raw archive hears every CTD line and every bus exchange.
    connect(ctd_.get(), &CtdPanel::lineReceived, logging_.get(), &LoggingControl::archiveCtdLine);
    connect(bus_, &BusSession::exchanged, logging_.get(), &LoggingControl::archiveBusExchange);

    // The ship feed hears each reading as it is taken and each action.
    feed_ = std::make_unique<ShipFeed>();
    feed_->load();
    stationFeed_ = std::make_unique<StationFeed>(*feed_, state_, platform_.clock);
    StationFeed* sf = stationFeed_.get();
    connect(ctd_.get(), &CtdPanel::recordApplied, sf, &StationFeed::ctdRecord);
    connect(readings_.get(), &BusReadings::cycleCompleted, sf, &StationFeed::busCycle);
    const std::pair<MotorPanel*, Actuator> motors[] = {{thruster_.get(), Actuator::Thruster},
                                                       {wave_.get(), Actuator::WaveGenerator}};
    for (const auto& [panel, actuator] : motors) {
        const Actuator a = actuator;
        connect(panel, &MotorPanel::powerSwitched, sf,
                [sf, a](bool on, const QDateTime& at) { sf->power(a, on, at); });
        connect(panel, &MotorPanel::speedSet, sf,
                [sf, a](double v, const QDateTime& at) { sf->speed(a, v, at); });
    }
    connect(profiler_.get(), &ProfilerControl::powerSwitched, sf,
            [sf](bool on, const QDateTime& at) { sf->power(Actuator::Profiler, on, at); });
    connect(profiler_.get(), &ProfilerControl::driven, sf, &StationFeed::drive);
    marks_ = std::make_unique<EventMarks>(CWGraph1, CWGraph2, *stationFeed_, logging_->archive(),
                                          platform_.clock, this);
    replay_ = std::make_unique<ReplayRun>(*marks_, *feed_, *stationFeed_, *StatusBar1, sink_);
    connect(ctd_.get(), &CtdPanel::lineReceived, replay_.get(), &ReplayRun::lineReceived);
    comms_ = std::make_unique<PortDialogSlot>(*bus_, sink_, this);

    // Link health: what is live, for the stale marks, panel 5 and frmHealth.
    health_ = std::make_unique<LinkHealth>(*bus_, platform_.clock);
    connect(ctd_.get(), &CtdPanel::lineReceived, health_.get(), &LinkHealth::ctdLine);
    connect(ctd_.get(), &CtdPanel::opened, health_.get(), &LinkHealth::resetCtd);
    const QChar ctdSource; // a null module: the CTD line
    staleMarks_ = std::make_unique<StaleMarks>(
        StaleMarksView{{{Label5, modules::kDigitalIo.at(0)},
                        {lblmV, modules::kPhElectrode.at(0)},
                        {lblpH, modules::kPhElectrode.at(0)},
                        {lblThrustRPM, modules::kThrusterFrequency.at(0)},
                        {lblWaveRPM, modules::kWaveFrequency.at(0)},
                        {lblMtrCur, modules::kThrusterCurrent.at(0)},
                        {lblWaveCur, modules::kWaveCurrent.at(0)},
                        {lblVPcur, modules::kProfilerCurrent.at(0)},
                        {lblConduct, ctdSource},
                        {lblTemp, ctdSource},
                        {lblPress, ctdSource},
                        {lblSalinity, ctdSource}},
                       lblStatus,
                       CWGraph1,
                       CWGraph2},
        *health_, state_, StatusPanel(*StatusBar1, 5, icons));
    wireOutages();
}

QString frmMain::iconPath(const QString& file) const {
    return platform_.programDir + QStringLiteral("/icons/") + file;
}

void frmMain::StartStep() {
    state_.CalSlope = 4.5;
    state_.CalOffset = 2.5;
    CWKnobCTDmin->setValue(44);
    CWKnobCTDmax->setValue(56);
    CWpHmax->setValue(14);
}

void frmMain::ShutdownStep() {
    if (shutDown_)
        return;
    shutDown_ = true;
    // The bus session drops any job where it stands and closes the bus.
    bus_->shutdown();
    if (platform_.MSCommCTD.isOpen())
        platform_.MSCommCTD.close();
}

void frmMain::closeDialogs() {
    // The station has no work that outlives the main window.
    const auto dialogs = findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly);
    for (QDialog* dialog : dialogs)
        if (dialog->isVisible())
            dialog->close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    closeDialogs();
    ShutdownStep();
    event->accept();
}

void frmMain::wireMenus() {
    // The toolbar's keyed buttons run the actions themselves, not the menu
    // items, so a disabled item does not disable its button.
    const std::pair<const char*, void (frmMain::*)()> buttons[] = {
        {"start", &frmMain::showLogger},
        {"stop", &frmMain::stopLogging},
        {"cal", &frmMain::showCalibration},
        {"comms", &frmMain::showComms}};
    for (const auto& [key, action] : buttons)
        connect(Toolbar1->findChild<QAction*>(QStringLiteral("Toolbar1_") + QLatin1String(key)),
                &QAction::triggered, this, action);
    connect(Toolbar1->findChild<QAction*>(QStringLiteral("Toolbar1_mark")), &QAction::triggered,
            mnuMark, &QAction::trigger);

    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuStart, &QAction::triggered, this, &frmMain::showLogger);
    connect(mnuStop, &QAction::triggered, this, &frmMain::stopLogging);
    connect(mnuCalValues, &QAction::triggered, this, &frmMain::showCalibration);
    connect(mnuDGHcomm, &QAction::triggered, this, &frmMain::showComms);
    connect(mnuDevices, &QAction::triggered, this, &frmMain::showDevices);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::showAbout);
    connect(mnuMark, &QAction::triggered, this, &frmMain::markEvent);
    connect(mnuReview, &QAction::triggered, this, &frmMain::showReview);
    connect(mnuFeed, &QAction::triggered, this, &frmMain::showFeed);
    connect(mnuHealth, &QAction::triggered, this, &frmMain::showHealth);
    connect(mnuFaults, &QAction::triggered, this, &frmMain::showFaults);
}

void frmMain::showComms() {
    comms_->show();
}

frmComms1* frmMain::commsDialog() const {
    return comms_->dialog();
}

frmAbout* frmMain::aboutDialog() const {
    return about_.get();
}

void frmMain::showAbout() {
    about_.show([this] { return new frmAbout(sink_, SystemRegistry(), this); });
}

void frmMain::showDevices() {
    devices_.show([this] {
        return new frmDevices(platform_.MSComm1, platform_.MSCommCTD, kSerialByIdFolder, this);
    });
}

frmDevices* frmMain::devicesDialog() const {
    return devices_.get();
}

void frmMain::showLogger() {
    logging_->showLogger();
}

void frmMain::stopLogging() {
    logging_->stopLogging();
}

void frmMain::markEvent() {
    marks_->askForMark();
}

bool frmMain::replayMarksFrom(const QString& archive, QString* error) {
    return startReplay(archive, error);
}

bool frmMain::startReplay(const QString& archive, QString* error) {
    if (!replay_->start(archive, error))
        return false;
    setWindowTitle(replay_->title());
    return true;
}

bool frmMain::replaying() const {
    return replay_->active();
}

bool frmMain::replayMarksScanned() const {
    return replay_->scanned();
}

void frmMain::showReview() {
    const QString path = sink_.openFileName(
        QStringLiteral("Raw archives (*.raw.csv)|*.raw.csv|All Files (*.*)|*.*"), QString());
    if (path.isEmpty())
        return;
    auto* review = new frmReview(sink_, this);
    review->setAttribute(Qt::WA_DeleteOnClose);
    QString error;
    if (!review->open(path, &error)) {
        delete review;
        sink_.message(error);
        return;
    }
    review->show();
}

void frmMain::showFeed() {
    feedWindow_.show([this] { return new frmFeed(*feed_, this); });
}

void frmMain::showHealth() {
    healthWindow_.show([this] { return new frmHealth(*health_, *feed_, this); });
}

frmHealth* frmMain::healthWindow() const {
    return healthWindow_.get();
}

void frmMain::showFaults() {
    faultsWindow_.show([this] {
        auto* window = new frmFaults(this);
        connect(window, &frmFaults::saved, this, [this](const FaultSettings& settings) {
            applyFaultSettings(settings);
            if (health_)
                emit health_->changed();
        });
        return window;
    });
}

frmFaults* frmMain::faultsWindow() const {
    return faultsWindow_.get();
}

void frmMain::showCalibration() {
    calibration_->showCalibration();
}

} // namespace corvale
