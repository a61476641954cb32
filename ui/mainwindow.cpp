#include "ui/mainwindow.h"

#include "about/frmabout.h"
#include "about/registry.h"
#include "charts/chartpanels.h"
#include "core/acquisition.h"
#include "ctd/ctdpanel.h"
#include "logging/loggingcontrol.h"
#include "portdialog/frmcomms1.h"
#include "ui/widgets/knob.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvale {

frmMain::frmMain(Platform platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform),
      link_(platform_.MSComm1, platform_.clock, platform_.operatorUi), modules_(link_) {
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
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
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
    buildStatusBar();
    wireMenus();

    // Feature controllers are created here, after the widgets and before
    // the start step, so the start step's knob writes reach their handlers.
    acquisition_ = std::make_unique<Acquisition>(*this);
    charts_ = std::make_unique<ChartPanels>(*this);
    ctd_ = std::make_unique<CtdPanel>(*this);
    logging_ = std::make_unique<LoggingControl>(*this);

    StartStep();
}

frmMain::~frmMain() {
    ShutdownStep();
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
    if (platform_.MSComm1.isOpen())
        platform_.MSComm1.close();
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
    connect(mnuAbout, &QAction::triggered, this, &frmMain::showAbout);
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
    comms_ = new frmComms1(*this); // the load steps run here, once per creation
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
    about_ = new frmAbout(platform_.operatorUi, SystemRegistry(), this);
    about_->show();
}

void frmMain::showLogger() {
    logging_->showLogger();
}

void frmMain::stopLogging() {
    logging_->stopLogging();
}

void frmMain::showCalibration() {
    logging_->showCalibration();
}

} // namespace corvale
