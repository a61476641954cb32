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
#include "feed/replaymarks.h"
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
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
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

    // The ports as laid out: the bus raises no receive events and reads all
    // that is waiting until the link asks for one character at a time; the
    // CTD line raises an event per character and reads one at a time.
    platform_.MSComm1.setReceiveThreshold(0);
    platform_.MSComm1.setReadLength(0);
    platform_.MSCommCTD.setReceiveThreshold(1);
    platform_.MSCommCTD.setReadLength(1);

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
    replayMarks_.reset();
    delete healthWindow_;
    delete faultsWindow_;
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
    bus_->link().setRetries(LoadFaultSettings().retries);
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
    interlock_ = std::make_unique<LampInterlock>(lblStatus, CWButtonUp, CWButtonDwn, *profiler_);
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

void frmMain::ToolbarButtonClick(const QString& key) {
    // The buttons run the menu actions themselves, so a disabled menu item
    // does not disable its button.
    if (key == QLatin1String("start"))
        showLogger();
    else if (key == QLatin1String("stop"))
        stopLogging();
    else if (key == QLatin1String("cal"))
        showCalibration();
    else if (key == QLatin1String("comms"))
        showComms();
}

namespace {
void BringToFront(QWidget* w) {
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->raise();
    w->activateWindow();
}
} // namespace

void frmMain::showComms() {
    if (comms_ && comms_->isVisible()) {
        BringToFront(comms_);
        return;
    }
    // The load steps run here, once per creation.
    comms_ = new frmComms1(*bus_, sink_, commDeviceCaption_, this);
    comms_->show();
}

frmComms1* frmMain::commsDialog() const {
    return comms_;
}

frmAbout* frmMain::aboutDialog() const {
    return about_;
}

void frmMain::showAbout() {
    if (about_ && about_->isVisible()) {
        BringToFront(about_);
        return;
    }
    about_ = new frmAbout(sink_, SystemRegistry(), this);
    about_->show();
}

void frmMain::showDevices() {
    if (devices_ && devices_->isVisible()) {
        BringToFront(devices_);
        return;
    }
    devices_ = new frmDevices(platform_.MSComm1, platform_.MSCommCTD, kSerialByIdFolder, this);
    devices_->show();
}

frmDevices* frmMain::devicesDialog() const {
    return devices_;
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
    auto marks = std::make_unique<ReplayMarks>(*marks_);
    connect(marks.get(), &ReplayMarks::scanned, this, [this, archive](const QString& damage) {
        if (!damage.isEmpty())
            sink_.message(QStringLiteral("Marks of %1: %2").arg(archive, damage));
    });
    if (!marks->open(archive, error))
        return false;
    replayMarks_ = std::move(marks);
    ReplayMarks* replay = replayMarks_.get();
    connect(ctd_.get(), &CtdPanel::lineReceived, replay, &ReplayMarks::lineReceived);

    const QString name = QFileInfo(archive).fileName();
    setWindowTitle(QStringLiteral("Corvale II - Replay of ") + name);
    feed_->setReplayRun(true);
    stationFeed_->setReplay([replay] { return replay->recordedTime(); });
    if (replayPanel_ == 0)
        replayPanel_ = StatusBar1->addPanel();
    const auto show = [this, replay, archive] {
        const qint64 total = replay->linesRecorded();
        QString text;
        if (replay->linesReceived() == 0)
            text = QStringLiteral("Replay: starts with Enable CTD");
        else if (replay->ended())
            text = QStringLiteral("Replay ended (%1 lines)").arg(total);
        else
            text = QStringLiteral("Replay: line %1 of %2").arg(replay->linesReceived()).arg(total);
        StatusBar1->setPanelText(replayPanel_, text);
        StatusBar1->setPanelToolTip(
            replayPanel_,
            QStringLiteral("Replaying %1: recorded data, not live. Recorded time %2.")
                .arg(QDir::toNativeSeparators(archive),
                     replay->recordedTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
    };
    connect(replay, &ReplayMarks::progressed, this, show);
    connect(replay, &ReplayMarks::scanned, this, show);
    show();
    return true;
}

bool frmMain::replayMarksScanned() const {
    return replayMarks_ && !replayMarks_->scanning();
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
    if (feedWindow_ && feedWindow_->isVisible()) {
        BringToFront(feedWindow_);
        return;
    }
    if (!feedWindow_)
        feedWindow_ = new frmFeed(*feed_, this);
    feedWindow_->show();
}

void frmMain::showHealth() {
    if (healthWindow_ && healthWindow_->isVisible()) {
        BringToFront(healthWindow_);
        return;
    }
    if (!healthWindow_)
        healthWindow_ = new frmHealth(*health_, *feed_, this);
    healthWindow_->show();
}

frmHealth* frmMain::healthWindow() const {
    return healthWindow_;
}

void frmMain::showFaults() {
    if (faultsWindow_ && faultsWindow_->isVisible()) {
        BringToFront(faultsWindow_);
        return;
    }
    faultsWindow_ = new frmFaults(this);
    connect(faultsWindow_, &frmFaults::saved, this, [this](const FaultSettings& settings) {
        bus_->link().setRetries(settings.retries);
        if (health_)
            emit health_->changed();
    });
    faultsWindow_->show();
}

frmFaults* frmMain::faultsWindow() const {
    return faultsWindow_;
}

void frmMain::showCalibration() {
    calibration_->showCalibration();
}

} // namespace corvale
