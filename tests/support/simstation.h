#pragma once
// The whole station on the flume simulator, as an operator meets it: a
// private settings store mapping COM4 and COM5 to the simulator's devices,
// the real serial ports and clock, a recording operator and the real main
// window.
//
//   SimStation st;
//   ASSERT_TRUE(st.start({"--ctd-rate", "20"})) << st.errorText();
//   ASSERT_TRUE(st.openBus()) << st.messages();
//   ASSERT_TRUE(WaitUntil([&] { return st.main->state().CtdPressure.value > 0; }));

#include "bus/qtserialport.h"
#include "core/clock.h"
#include "tests/support/fakes.h"
#include "tests/support/simprocess.h"
#include "ui/mainwindow.h"

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
    bool start(const QStringList& simArgs = {});
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
    std::unique_ptr<QtSerialPort> dgh;
    std::unique_ptr<QtSerialPort> ctd;
    std::unique_ptr<frmMain> main;

private:
    QString error_;
};

// The digital module's inputs asked over an open bus, in their turn between
// the station's own jobs; a reply that missed the 35 ms window on a loaded
// machine is drained from `port` and asked again.
QString AskDigitalInputs(BusSession& bus, SerialPort& port);

// Runs the event loop until `done` or the time is up; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

} // namespace corvale
