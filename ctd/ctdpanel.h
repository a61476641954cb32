#pragma once
// The CTD panel of the main window: cwCTDflag opens and closes the CTD port,
// and every receive event feeds the waiting characters to the record stream,
// whose records update the four CTD readings and their labels.

#include "bus/serialport.h"
#include "ctd/ctdrecord.h"

#include <QObject>
#include <QString>

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

signals:
    // Every line as received, malformed and over-long ones included.
    void lineReceived(const QByteArray& line, corvale::CtdLineStatus status);
    // The operator opened the CTD line (its counters start afresh).
    void opened();
    // A record changed the four CTD readings.
    void recordApplied();

private:
    void onToggle(bool on);
    void onReceived();
    void onLost();
    void showReadings();

    CtdPanelView v_;
    SerialPort& port_;
    Operator& op_;
    StationState& state_;
    CtdStream stream_;
};

} // namespace corvale
