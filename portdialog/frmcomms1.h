#pragma once
// frmComms1: the DGH port settings dialog. The one place where the bus port
// MSComm1 is opened and the poll and reading timers are started.

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace corvale {

class frmMain;

class frmComms1 : public QDialog {
    Q_OBJECT
public:
    // Creating the dialog loads it: lists filled, title set, the port's
    // current settings selected. It deletes itself when closed.
    explicit frmComms1(frmMain& main);

    // Stores the caption of device 0 to 3 as the title of the next load and
    // shows the dialog; any other device does nothing. Returns whether it
    // was shown.
    static bool CommDevice(frmMain& main, int device);

    QLabel* lblComm;
    QLabel* lblBaudRate;
    QLabel* lblDataBits;
    QLabel* Label1;
    QLabel* lblStopBits;
    QComboBox* cboPort;
    QComboBox* cboBaud;
    QComboBox* cboDataBits;
    QComboBox* cboParity;
    QComboBox* cboStopBits;
    QPushButton* cmdUpdate;

private:
    void Load();
    void Update();
    bool Validate();
    void describePorts();

    frmMain& main_;
};

} // namespace corvale
