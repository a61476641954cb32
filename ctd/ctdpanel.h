#pragma once
// The CTD panel of the main window: cwCTDflag opens and closes the CTD port,
// and every receive event feeds the waiting characters to the record stream,
// whose records update the four CTD readings and their labels.
//
// Reconnect (off by default): while the operator has the line switched on,
// a lost line or a port that will not open opens no box and leaves the
// toggle on; the line is down, with the box's text as its reason, and the
// same device is opened again every 2 s until it is back.

#include "bus/serialport.h"
#include "ctd/ctdrecord.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;

namespace corvale {

class Clock;
class Operator;
class ToggleButton;
struct StationState;

struct CtdPanelView {
    ToggleButton* cwCTDflag;
    QLabel* lblConduct;
    QLabel* lblTemp;
    QLabel* lblPress;
    QLabel* lblSalinity;
};

class CtdPanel : public QObject {
    Q_OBJECT
public:
    // Each record's readings are stamped with the clock's time of arrival.
    CtdPanel(const CtdPanelView& view, SerialPort& port, Operator& op, StationState& state,
             Clock& clock);

    // The text shown to the operator when the CTD port does not open.
    static QString OpenFailureText(const SerialPort& port, SerialPort::OpenError error);

    const CtdStream& stream() const { return stream_; }
    CtdStream& stream() { return stream_; }

    static constexpr int kReconnectMs = 2000;
    void setReconnect(bool on);
    bool down() const { return down_; }

signals:
    // Every line as received, malformed and over-long ones included.
    void lineReceived(const QByteArray& line, corvale::CtdLineStatus status);
    // The operator opened the CTD line (its counters start afresh).
    void opened();
    // A record changed the four CTD readings.
    void recordApplied();
    // Reconnect: the line went down (once per outage), and came back.
    void lineDown(const QString& reason);
    void lineUp(const QString& how);

private:
    void onToggle(bool on);
    void onReceived();
    void onLost();
    void showReadings();
    void goDown(const QString& reason);
    void endOutage(const QString& how);
    void retry();

    CtdPanelView v_;
    SerialPort& port_;
    Operator& op_;
    StationState& state_;
    CtdStream stream_;
    bool reconnect_ = false;
    bool down_ = false;
    QTimer retry_;
};

} // namespace corvale
