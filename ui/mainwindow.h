#pragma once
// frmMain: the station's one main window. It owns the two ports, the five
// timers and the program-wide state, builds the widgets and wires the
// controllers; it holds no behaviour beyond start and shutdown and showing
// the dialogs.

#include "bus/bussession.h"
#include "bus/faults.h"
#include "bus/serialport.h"
#include "core/clock.h"
#include "core/operator.h"
#include "core/state.h"
#include "core/stationtimer.h"
#include "portdialog/frmcomms1.h"
#include "widgets/dialogs.h"

#include <QMainWindow>
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
class ToggleButton;
class BusReadings;
class BusStatusPanel;
class CalibrationControl;
class ChartPanels;
class CtdPanel;
class LampInterlock;
class LoggingControl;
class MotorPanel;
class ProfilerControl;
class frmAbout;
class frmComms1;
class frmFeed;
class frmHealth;
class frmFaults;
class LinkHealth;
class StaleMarks;
class EventMarks;
class ShipFeed;
class StationFeed;
class ReplayRun;
class frmDevices;

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
    const Platform& platform() const { return platform_; }
    // The one owner of the DGH bus (objectName "busSession").
    BusSession& bus() { return *bus_; }

    // The window's timers, found by their names like every element.
    StationTimer Timer1{QStringLiteral("Timer1"), StationTimer::Kind::Bus, this};
    StationTimer tmrRPM{QStringLiteral("tmrRPM"), StationTimer::Kind::Bus, this};
    StationTimer tmrPlot{QStringLiteral("tmrPlot"), StationTimer::Kind::Other, this};
    StationTimer tmrCTDplot{QStringLiteral("tmrCTDplot"), StationTimer::Kind::Other, this};
    StationTimer tmrlogger{QStringLiteral("tmrlogger"), StationTimer::Kind::Other, this};

    // Toolbar: four keyed buttons ("start", "stop", "cal", "comms"), each
    // running its action itself so a disabled menu item does not disable
    // its button, and the input-bits label of the poll cycle.
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

    // Panels 1 logging, 2 and 3 cursor readout, 4 DGH port, 5 link health.
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
    QAction* mnuMark = nullptr;
    QAction* mnuReview = nullptr;
    QAction* mnuFeed = nullptr;
    QAction* mnuDevices = nullptr;
    QAction* mnuHealth = nullptr;
    QAction* mnuFaults = nullptr;
    QAction* mnuAbout = nullptr;

    // Scale ends of the CTD knobs: wide enough for the start values 44 and 56.
    static constexpr double kCtdKnobMin = 28;
    static constexpr double kCtdKnobMax = 60;

    // programDir + "/icons/" + file ("redlight.bmp", "greenlight.bmp").
    QString iconPath(const QString& file) const;

    // The dialogs: one instance each, shown through a DialogSlot (created
    // and loaded when not on screen, brought to the front when it is,
    // deleted when closed); none blocks this window.
    void showComms();
    void showAbout();
    // The ship feed's settings window; the note of a new event mark.
    void showFeed();
    void markEvent();
    // Shows the marks of a raw archive on the charts as its replay arrives
    // on the CTD line; false, with the reason, when it cannot be read.
    bool replayMarksFrom(const QString& archive, QString* error = nullptr);
    // This run plays the raw archive back (the simulator's --replay): the
    // title and a status-bar panel say "Replay" and how far it has come, its
    // marks come back, and the ship feed sends nothing unless the operator
    // lets this replay out, each sentence then marked as replayed and timed
    // as recorded. False, with the reason, when the archive cannot be read.
    bool startReplay(const QString& archive, QString* error = nullptr);
    bool replaying() const;
    // The archive of --marks has been read to its end.
    bool replayMarksScanned() const;
    // "Review Session...": asks for a raw archive and opens it in a review
    // window of its own (a child of this window, deleted when closed).
    void showReview();
    EventMarks& marks() { return *marks_; }
    ShipFeed& feed() { return *feed_; }
    // The link health window (frmHealth); the counters and ages behind it
    // and behind the stale marks of read-outs, lamps and charts.
    void showHealth();
    frmHealth* healthWindow() const;
    // The Faults window: the retries of a missed reply, used by the bus
    // from its next command once saved.
    void showFaults();
    frmFaults* faultsWindow() const;
    LinkHealth& linkHealth() { return *health_; }
    LoggingControl& logging() { return *logging_; }
    StaleMarks& staleMarks() { return *staleMarks_; }
    frmComms1* commsDialog() const;
    frmAbout* aboutDialog() const;
    // "Serial devices": the device each line's COM number opens.
    void showDevices();
    frmDevices* devicesDialog() const;

    // The chart panels' operations (SwitchPhReadingOff for the pH measurement).
    ChartPanels& charts() { return *charts_; }
    // The CTD panel's signals (each line, each applied record).
    CtdPanel& ctdPanel() { return *ctd_; }

    // The port dialog of the run, with its device caption.
    PortDialogSlot& portDialog() { return *comms_; }

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
    void wireControllers();
    // A line down and back (reconnect on): the archive, the feed, the charts
    // and link health hear it (mainwindow_outages.cpp).
    void wireOutages();
    void applyFaultSettings(const FaultSettings& settings);
    void StartStep();
    void ShutdownStep();
    void closeDialogs();

    Platform platform_;
    // Every part speaks to the operator through this: one box at a time.
    OperatorSink sink_{platform_.operatorUi};
    StationState state_;
    bool shutDown_ = false;
    DialogSlot<frmAbout> about_;
    DialogSlot<frmDevices> devices_;
    DialogSlot<frmFeed> feedWindow_;
    DialogSlot<frmHealth> healthWindow_;
    DialogSlot<frmFaults> faultsWindow_;
    // Controllers, each handed the widgets it drives and the services it
    // calls; the bus session goes last, so no job outlives what it writes.
    BusSession* bus_ = nullptr;
    std::unique_ptr<BusStatusPanel> busPanel_; // panel 4
    std::unique_ptr<ChartPanels> charts_;      // chart feeds, scales, modes, pH switch
    std::unique_ptr<BusReadings> readings_;    // poll, pH, speeds, currents
    std::unique_ptr<MotorPanel> thruster_;
    std::unique_ptr<MotorPanel> wave_;
    std::unique_ptr<ProfilerControl> profiler_;
    std::unique_ptr<LampInterlock> interlock_;
    std::unique_ptr<CtdPanel> ctd_;           // CTD toggle and record stream
    std::unique_ptr<LoggingControl> logging_; // panel 1
    std::unique_ptr<CalibrationControl> calibration_;
    std::unique_ptr<ShipFeed> feed_;           // the ship's network, off by default
    std::unique_ptr<StationFeed> stationFeed_; // what goes on it
    std::unique_ptr<EventMarks> marks_;
    std::unique_ptr<ReplayRun> replay_; // panel 6 while a replay runs
    std::unique_ptr<LinkHealth> health_;
    std::unique_ptr<StaleMarks> staleMarks_; // panel 5
    std::unique_ptr<PortDialogSlot> comms_;
};

} // namespace corvale
