#pragma once
// The CTD panel of the main window: cwCTDflag opens and closes the CTD port,
// and every receive event feeds the waiting characters to the record stream,
// whose records update the four CTD readings and their labels.

#include "core/serialport.h"
#include "ctd/ctdrecord.h"

#include <QObject>
#include <QString>

namespace corvale {

class frmMain;

class CtdPanel : public QObject {
    Q_OBJECT
public:
    explicit CtdPanel(frmMain& window);

    // The text shown to the operator when the CTD port does not open.
    static QString OpenFailureText(const SerialPort& port, SerialPort::OpenError error);

    const CtdStream& stream() const { return stream_; }

private:
    void onToggle(bool on);
    void onReceived();
    void onLost();
    void showReadings();

    frmMain& w_;
    CtdStream stream_;
};

} // namespace corvale
