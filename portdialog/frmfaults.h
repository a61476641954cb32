#pragma once
// frmFaults ("Faults"): how the station rides through a missed reply. The
// operator sets the retries of a module command (0 to 3); "Save" keeps it
// in the store's "Faults" section and the bus uses it from its next
// command. Shown without blocking the main window; it deletes itself when
// closed.

#include "bus/faults.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace corvale {

class frmFaults : public QDialog {
    Q_OBJECT
public:
    explicit frmFaults(QWidget* parent = nullptr);

    QSpinBox* spnRetries = nullptr;
    QCheckBox* chkReconnect = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblResult = nullptr;

signals:
    // The choices were stored.
    void saved(const corvale::FaultSettings& settings);

private:
    void save();
};

} // namespace corvale
