#pragma once
// frmDevices ("Serial devices"): which device the COM number of each line
// opens, the DGH bus's and the CTD line's. For each line the operator picks
// one of the serial devices present (stable by-id names first) or types a
// path; "Save" keeps both in the store's "Ports" section, exactly as shown.
// A line that is open uses its new device when it is next opened. Shown
// without blocking the main window; it deletes itself when closed.

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvale {

class SerialPort;

class frmDevices : public QDialog {
    Q_OBJECT
public:
    // The two lines' ports give their current COM numbers; byIdFolder is
    // where the stable names are listed from.
    frmDevices(const SerialPort& bus, const SerialPort& ctd, const QString& byIdFolder,
               QWidget* parent = nullptr);

    struct Line {
        QGroupBox* frame = nullptr;
        QComboBox* list = nullptr; // the devices present; choosing one fills the path
        QLineEdit* path = nullptr; // what is stored; empty: the COM number's default
        QLabel* now = nullptr;     // what the stored choice opens now
    };
    Line dgh;
    Line ctd;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblResult = nullptr;

    // Lists the devices present again, from this folder from now on.
    void setByIdFolder(const QString& folder);
    // Reads the lines' COM numbers and stored devices, lists what is present.
    void Refresh();
    // Checks and stores both paths; false (the problem shown, nothing stored)
    // when one cannot name a device.
    bool Save();

private:
    Line makeLine(const QString& tag, QWidget* parent);
    void showNow(const Line& line, int portNumber);

    const SerialPort& bus_;
    const SerialPort& ctdPort_;
    QString byIdFolder_;
    int dghNumber_ = 0;
    int ctdNumber_ = 0;
};

} // namespace corvale
