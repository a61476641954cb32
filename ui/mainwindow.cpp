#include "ui/mainwindow.h"

#include <QCloseEvent>

frmMain::frmMain(Platform platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform), link_(platform_.MSComm1, platform_.clock,
                                                      platform_.operatorUi),
      modules_(link_) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Corvale II"));

    Timer1.setInterval(250);
    tmrRPM.setInterval(1000);
    tmrPlot.setInterval(1000);
    tmrCTDplot.setInterval(500);
    tmrlogger.setEnabled(true); // no interval yet: ticks once logging gives one

    StartStep();
}

frmMain::~frmMain() { ShutdownStep(); }

void frmMain::StartStep() {
    state_.CalSlope = 4.5;
    state_.CalOffset = 2.5;
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

void frmMain::closeEvent(QCloseEvent* event) {
    ShutdownStep();
    event->accept();
}
