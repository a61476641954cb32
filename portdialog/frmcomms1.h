#pragma once
// frmComms1: the DGH port settings dialog. Its Update hands the chosen
// settings to the bus session, which opens the port and starts the poll and
// reading timers.

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace corvale {

class BusSession;
class Operator;

// Where the dialog lives: the window that keeps its caption and shows it.
class PortDialogHost {
public:
    virtual ~PortDialogHost() = default;
    virtual void setCommDeviceCaption(const QString& caption) = 0;
    virtual void showComms() = 0;
};

class frmComms1 : public QDialog {
    Q_OBJECT
public:
    // Creating the dialog loads it: lists filled, title set, the port's
    // current settings selected. It deletes itself when closed.
    frmComms1(BusSession& bus, Operator& op, const QString& caption, QWidget* parent);

    // Stores the caption of device 0 to 3 as the title of the next load and
    // shows the dialog; any other device does nothing. Returns whether it
    // was shown.
    static bool CommDevice(PortDialogHost& host, int device);

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
    // Under the lists: the device the selected COM number opens.
    QLabel* lblDevice;

private:
    void Load(const QString& caption);
    void Update();
    bool Validate();
    void describePorts();

    BusSession& bus_;
    Operator& op_;
};

} // namespace corvale
