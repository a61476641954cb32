#pragma once
// The whole station on the flume simulator, as an operator meets it: a
// private settings store mapping COM4 and COM5 to the simulator's devices,
// the real serial ports and clock, a recording operator and the real main
// window. Every end-to-end test of the whole station builds it here.
//
//   SimStation st;
//   ASSERT_TRUE(st.start({"--ctd-rate", "20"})) << st.errorText();
//   ASSERT_TRUE(st.openBus()) << st.messages();
//   ASSERT_TRUE(WaitUntil([&] { return st.main->state().CtdPressure.value > 0; }));

#include "bus/qtserialport.h"
#include "core/clock.h"
#include "tests/support/fakes.h"
#include "tests/support/simprocess.h"
#include "tests/support/stationsteps.h"
#include "ui/mainwindow.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

namespace corvale {

class SimStation {
public:
    SimStation() = default;
    ~SimStation();
    SimStation(const SimStation&) = delete;
    SimStation& operator=(const SimStation&) = delete;

    // Starts the simulator (modules answer at once, leaving most of the
    // 35 ms window to a busy machine) and builds the shown main window.
    // With `throughLinks`, COM4 and COM5 name the simulator's --links
    // symlinks, as a real adapter's by-id name, so a line unplugged and back
    // on a new device is the same port.
    bool start(const QStringList& simArgs = {}, bool throughLinks = false);
    // "Communications" > "DGH Comm Port" > "Update and Open Comm Port" with
    // the dialog's preselected settings; true when the bus is open and both
    // bus timers run.
    bool openBus();
    QString errorText() const { return error_; }
    // The operator's messages so far, for failure output.
    std::string messages() const;

    PrivateStore store;
    SimProcess sim;
    RealClock clock;
    RecordingOperator op;
    // Made at once: a port finds its device in the store when it opens.
    std::unique_ptr<QtSerialPort> dgh =
        std::make_unique<QtSerialPort>(4, QStringLiteral("19200,n,8,1"));
    std::unique_ptr<QtSerialPort> ctd =
        std::make_unique<QtSerialPort>(5, QStringLiteral("9600,n,8,1"));
    std::unique_ptr<frmMain> main;

private:
    QString error_;
    QTemporaryDir links_;
};

// A counter of the simulator's state line ("... commands=120 ..."); -1 when
// it does not say.
qint64 SimCounter(SimProcess& sim, const char* key);
// The CTD records the simulator has sent so far.
inline int CtdSent(SimProcess& sim) {
    return static_cast<int>(SimCounter(sim, "ctd-sent"));
}

// The digital module's inputs asked over an open bus, in their turn between
// the station's own jobs; a reply that missed the 35 ms window on a loaded
// machine is drained from `port` and asked again.
QString AskDigitalInputs(BusSession& bus, SerialPort& port);

// Runs the event loop until `done` or the time is up; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

} // namespace corvale
