#pragma once
// frmComms1: the DGH port settings dialog. Its Update hands the chosen
// settings to the bus session, which opens the port and starts the poll and
// reading timers.

#include "widgets/dialogs.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace corvale {

class BusSession;
class Operator;

class frmComms1 : public QDialog {
    Q_OBJECT
public:
    // Creating the dialog loads it: lists filled, title set, the port's
    // current settings selected.
    frmComms1(BusSession& bus, Operator& op, const QString& caption, QWidget* parent);

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

// The run's port dialog: its one frmComms1 and the device caption that each
// load takes as its title, kept from one dialog to the next for the run.
class PortDialogSlot {
public:
    PortDialogSlot(BusSession& bus, Operator& op, QWidget* parent)
        : bus_(bus), op_(op), parent_(parent) {}

    // "DGH Comm Port" and the toolbar's "comms" button.
    frmComms1* show();
    // Stores the caption of device 0 to 3 as the title of the next load and
    // shows the dialog; any other device does nothing. Returns whether it
    // was shown.
    bool CommDevice(int device);
    frmComms1* dialog() const { return slot_.get(); }
    QString caption() const { return caption_; }

private:
    BusSession& bus_;
    Operator& op_;
    QWidget* parent_;
    QString caption_;
    DialogSlot<frmComms1> slot_;
};

} // namespace corvale
