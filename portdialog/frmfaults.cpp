#include "portdialog/frmfaults.h"

#include "bus/dghlink.h"
#include "widgets/dialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvale {

frmFaults::frmFaults(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFaults"));
    setWindowTitle(QStringLiteral("Faults"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    const FaultSettings stored = LoadFaultSettings();
    spnRetries = new QSpinBox(this);
    spnRetries->setObjectName(QStringLiteral("spnRetries"));
    spnRetries->setRange(0, DghLink::kMaxRetries);
    spnRetries->setValue(stored.retries);
    spnRetries->setToolTip(
        QStringLiteral("How often a module command without a valid reply is sent again before "
                       "the bus reports the failure. 0: the failure is reported at once."));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Retries of a missed reply:"), spnRetries);
    chkReconnect =
        new QCheckBox(QStringLiteral("Reconnect a line that faults, without a message box"), this);
    chkReconnect->setObjectName(QStringLiteral("chkReconnect"));
    chkReconnect->setChecked(stored.reconnect);
    chkReconnect->setToolTip(
        QStringLiteral("On: a lost line, a port that fails or a module without a valid reply "
                       "closes the line and says why in the status bar and Link Health; the "
                       "same device is opened again every 2 s. Off: a message box, and the "
                       "line stays closed."));
    form->addRow(chkReconnect);

    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    const SaveCloseButtons buttons =
        SaveCloseRow(this, QStringLiteral("cmdSave"), QStringLiteral("cmdClose"));
    cmdSave = buttons.save;
    cmdClose = buttons.close;

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(lblResult);
    column->addLayout(buttons.row);

    connect(cmdSave, &QPushButton::clicked, this, &frmFaults::save);
}

void frmFaults::save() {
    FaultSettings settings;
    settings.retries = spnRetries->value();
    settings.reconnect = chkReconnect->isChecked();
    if (!StoreFaultSettings(settings)) {
        lblResult->setText(QStringLiteral("The settings could not be stored."));
        return;
    }
    lblResult->setText(QStringLiteral("Saved."));
    emit saved(settings);
}

} // namespace corvale
