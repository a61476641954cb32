#pragma once
// frmMain: the station's one main window. It owns the two ports, the five
// timers and the program-wide state, builds the widgets and wires the
// controllers; it holds no behaviour beyond start and shutdown.

#include "core/clock.h"
#include "core/dghlink.h"
#include "core/state.h"
#include "core/stationtimer.h"
#include "ui/operator.h"
#include "ui/serialport.h"

#include <QMainWindow>

struct Platform {
    SerialPort& MSComm1;   // DGH module bus
    SerialPort& MSCommCTD; // CTD stream
    Clock& clock;
    Operator& operatorUi;
    QString programDir; // icons/ is looked up here
};

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(Platform platform, QWidget* parent = nullptr);
    ~frmMain() override;

    StationState& state() { return state_; }
    DghLink& link() { return link_; }
    ModuleOps& modules() { return modules_; }
    const Platform& platform() const { return platform_; }

    StationTimer Timer1{QStringLiteral("Timer1"), StationTimer::Kind::Bus};
    StationTimer tmrRPM{QStringLiteral("tmrRPM"), StationTimer::Kind::Bus};
    StationTimer tmrPlot{QStringLiteral("tmrPlot")};
    StationTimer tmrCTDplot{QStringLiteral("tmrCTDplot")};
    StationTimer tmrlogger{QStringLiteral("tmrlogger")};

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void StartStep();
    void ShutdownStep();

    Platform platform_;
    StationState state_;
    DghLink link_;
    ModuleOps modules_;
    bool shutDown_ = false;
};
