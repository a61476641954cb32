#pragma once
// frmMain: the station's one main window. It owns the two ports, the five
// timers and the program-wide state, builds the widgets and wires the
// controllers; it holds no behaviour beyond start and shutdown, the toolbar
// dispatch and showing the dialogs.

#include "core/clock.h"
#include "core/dghlink.h"
#include "core/operator.h"
#include "core/serialport.h"
#include "core/state.h"
#include "core/stationtimer.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace corvale {

class IndicatorLamp;
class Knob;
class NumericBox;
class Slide;
class StationStatusBar;
class StripChart;
class LoggingControl;
class ToggleButton;
class Acquisition;
class ChartPanels;
class CtdPanel;
class frmAbout;
class frmComms1;

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

    // Toolbar: four keyed buttons ("start", "stop", "cal", "comms") and the
    // input-bits label of the poll cycle.
    QToolBar* Toolbar1 = nullptr;
    QLabel* Label5 = nullptr;

    // Instrument panel.
    ToggleButton* cwVP = nullptr;
    ToggleButton* CWButtonUp = nullptr;
    ToggleButton* CWButtonDwn = nullptr;
    std::array<IndicatorLamp*, 2> lblStatus{};
    QLabel* lblVPcur = nullptr;
    QLabel* lblmV = nullptr;
    QLabel* lblpH = nullptr;
    QLabel* lblConduct = nullptr;
    QLabel* lblTemp = nullptr;
    QLabel* lblPress = nullptr;
    QLabel* lblSalinity = nullptr;

    // Frame "Thruster".
    ToggleButton* cwThrust = nullptr;
    Slide* sldThruster = nullptr;
    NumericBox* CWNumEdit1 = nullptr;
    QLabel* lblThrustRPM = nullptr;
    QLabel* lblMtrCur = nullptr;

    // Frame "Wave Generator".
    ToggleButton* cwWave = nullptr;
    Slide* sldWave = nullptr;
    NumericBox* CWNumEdit2 = nullptr;
    QLabel* lblWaveRPM = nullptr;
    QLabel* lblWaveCur = nullptr;

    // Frame "pH Probe": the pH chart panel...
    StripChart* CWGraph1 = nullptr;
    Knob* CWpHmin = nullptr;
    Knob* CWpHmax = nullptr;
    Slide* GraphMode = nullptr;
    QLabel* lblpHdata = nullptr;
    ToggleButton* CWButton1 = nullptr;
    ToggleButton* cwPlot = nullptr;
    ToggleButton* cwbPh = nullptr;
    // ...and the CTD chart panel.
    StripChart* CWGraph2 = nullptr;
    Knob* CWKnobCTDmin = nullptr;
    Knob* CWKnobCTDmax = nullptr;
    Slide* CTDgraphMode = nullptr;
    ToggleButton* cwCTDreset = nullptr;
    ToggleButton* cwCTDplot = nullptr;
    ToggleButton* cwCTDflag = nullptr;

    // Panels 1 logging, 2 and 3 cursor readout, 4 DGH port.
    StationStatusBar* StatusBar1 = nullptr;

    QMenu* mnuFile = nullptr;
    QMenu* mnuLogging = nullptr;
    QMenu* mnuCalibration = nullptr;
    QMenu* mnuComms = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuStart = nullptr;
    QAction* mnuStop = nullptr;
    QAction* mnuCalValues = nullptr;
    QAction* mnuDGHcomm = nullptr;
    QAction* mnuAbout = nullptr;

    // Scale ends of the CTD knobs: wide enough for the start values 44 and 56.
    static constexpr double kCtdKnobMin = 28;
    static constexpr double kCtdKnobMax = 60;

    // programDir + "/icons/" + file ("redlight.bmp", "greenlight.bmp").
    QString iconPath(const QString& file) const;

    // A toolbar button's click, by the button's key; other keys do nothing.
    void ToolbarButtonClick(const QString& key);

    // The dialogs: one instance each, created and loaded on first show,
    // brought to the front when shown again; none blocks this window.
    void showComms();
    void showAbout();
    frmComms1* commsDialog() const;
    frmAbout* aboutDialog() const;

    // The chart panels' operations (SwitchPhReadingOff for the pH measurement).
    ChartPanels& charts() { return *charts_; }

    // The port dialog's device caption; kept for the whole run.
    QString commDeviceCaption() const { return commDeviceCaption_; }
    void setCommDeviceCaption(const QString& caption) { commDeviceCaption_ = caption; }

    // Logging and calibration actions (mnuStart, mnuStop, mnuCalValues and
    // the toolbar keys "start", "stop", "cal").
    void showLogger();
    void stopLogging();
    void showCalibration();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void buildMenus();
    void buildStatusBar();
    QWidget* buildInstrumentPanel();
    QWidget* buildActuatorFrame(bool thruster);
    QWidget* buildChartFrame();
    QWidget* buildChartPanel(bool ph);
    void wireMenus();
    void StartStep();
    void ShutdownStep();
    void closeDialogs();

    Platform platform_;
    StationState state_;
    DghLink link_;
    ModuleOps modules_;
    bool shutDown_ = false;
    QPointer<frmComms1> comms_;
    QPointer<frmAbout> about_;
    QString commDeviceCaption_;
    std::unique_ptr<Acquisition> acquisition_; // bus readings and actuators
    std::unique_ptr<ChartPanels> charts_;      // chart feeds, scales, modes, pH switch
    std::unique_ptr<CtdPanel> ctd_;            // CTD toggle and record stream
    std::unique_ptr<LoggingControl> logging_;
};

} // namespace corvale
