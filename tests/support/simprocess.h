#pragma once
// End-to-end helpers: the flume simulator as a child process, and a private
// settings store whose "Ports" section maps COM numbers to its devices.
//
//   PrivateStore store;                 // settings in a temp folder
//   SimProcess sim;
//   ASSERT_TRUE(sim.start({"--ctd-rate", "20"})) << sim.errorText();
//   store.mapPort(4, sim.dghDevice());  // QtSerialPort(4, ...) now opens it
//   sim.control("silent 4");            // change a fault while running

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace corvale {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The simulator program this build made (empty when there is none).
    static QString program();

    // Starts the simulator with `args` and reads the two device lines.
    bool start(const QStringList& args = {}, int timeoutMs = 5000);
    void stop();
    bool isRunning() const;
    qint64 pid() const;

    QString dghDevice() const { return dgh_; }
    QString ctdDevice() const { return ctd_; }
    QString errorText() const { return error_; }

    // Sends one control line ("silent 4", "state", ...) and waits for its
    // answer line, which `answer` receives. True when it did not begin with
    // "error".
    bool control(const QString& line, QString* answer = nullptr, int timeoutMs = 3000);
    // Waits for an output line that begins with `prefix` ("closed dgh").
    bool waitForLine(const QString& prefix, int timeoutMs = 3000);
    // Sends a signal: SIGUSR1 closes the DGH device, SIGUSR2 the CTD one.
    void sendSignal(int signal);

private:
    bool nextLine(QString* line, int timeoutMs);

    QProcess process_;
    QString dgh_;
    QString ctd_;
    QString error_;
    QStringList unclaimed_;
};

// The settings store (application "Corvale") moved to a temporary folder for
// the life of the object; the user's own settings are never touched.
class PrivateStore {
public:
    PrivateStore();
    ~PrivateStore();
    PrivateStore(const PrivateStore&) = delete;
    PrivateStore& operator=(const PrivateStore&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    // "Ports/COM<number>" = device.
    void mapPort(int number, const QString& device);

private:
    QTemporaryDir dir_;
};

} // namespace corvale
