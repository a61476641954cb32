#include "tests/support/stationsteps.h"

#include "logging/frmlogbf2.h"
#include "portdialog/frmcomms1.h"
#include "tests/support/toolbar.h"
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace corvale {

bool OpenBusFromDialog(frmMain& main, const QString& port) {
    main.mnuDGHcomm->trigger();
    frmComms1* dialog = main.commsDialog();
    if (!dialog)
        return false;
    if (!port.isEmpty())
        dialog->cboPort->setCurrentIndex(dialog->cboPort->findText(port));
    QTest::mouseClick(dialog->cmdUpdate, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
}

bool StartLogging(frmMain& main, bool rawArchive, bool busExchanges) {
    ClickToolbar(main, "start");
    auto* logger = main.findChild<frmLogBF2*>(QStringLiteral("frmLogBF2"));
    if (!logger)
        return false;
    logger->optDatafile[1]->click();
    logger->cmdSelect->click();
    logger->optAppend[1]->click();
    logger->cmbInterval->setCurrentIndex(7); // 0.5 s
    logger->chkRawArchive->setChecked(rawArchive);
    logger->chkRawArchiveBus->setChecked(busExchanges);
    logger->cmdExit->click();
    return true;
}

} // namespace corvale
