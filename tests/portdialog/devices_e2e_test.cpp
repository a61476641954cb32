// A stable by-id style name mapped in the "Serial devices" window opens the
// simulator's bus from the port dialog, and still does after the device
// comes back under another name (the link pointed at a second simulator).

#include "bus/portmap.h"
#include "portdialog/frmcomms1.h"
#include "portdialog/frmdevices.h"
#include "tests/support/simstation.h"
#include "widgets/statusbar.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace corvale;

namespace {

class StableNameOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(byId.isValid());
        ASSERT_TRUE(st.start()) << st.errorText().toStdString();
        link = byId.filePath(QStringLiteral("usb-Corvale_DGH_Bus_Adapter_D100-if00-port0"));
        ASSERT_TRUE(QFile::link(first.dghDevice(), link));
        window = st.main.get();
    }

    // "Communications" > "DGH Comm Port", COM4, "Update and Open Comm Port".
    QString openBus() {
        window->mnuDGHcomm->trigger();
        frmComms1* d = window->commsDialog();
        if (!d)
            return {};
        d->cboPort->setCurrentIndex(d->cboPort->findText(QStringLiteral("COM4")));
        // Whole in the tip; a long temporary path is shortened in the label.
        const QString named = d->lblDevice->toolTip();
        QTest::mouseClick(d->cmdUpdate, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return named;
    }
    QString askInputs() { return AskDigitalInputs(window->bus(), dgh); }

    SimStation st;
    QTemporaryDir byId;
    QString link;
    SimProcess& first = st.sim;
    QtSerialPort& dgh = *st.dgh;
    RecordingOperator& op = st.op;
    frmMain* window = nullptr;
};

} // namespace

TEST_F(StableNameOnSimulator, TheBusOpensThroughTheLinkAndFindsTheDeviceUnderItsNewName) {
    // Choose the stable name for the bus's COM4 and save.
    window->mnuDevices->trigger();
    frmDevices* devices = window->devicesDialog();
    ASSERT_NE(devices, nullptr);
    devices->setByIdFolder(byId.path());
    const int listed = devices->dgh.list->findData(link);
    ASSERT_GE(listed, 0);
    EXPECT_EQ(devices->dgh.list->itemText(listed), link + " (now " + first.dghDevice() + ")");
    devices->dgh.list->setCurrentIndex(listed);
    QTest::mouseClick(devices->cmdSave, Qt::LeftButton);
    ASSERT_EQ(StoredPortDevice(4), link) << devices->lblResult->text().toStdString();
    devices->close();

    const QString named = openBus();
    EXPECT_EQ(named.toStdString(),
              ("COM4 is " + link + " (now " + first.dghDevice() + ")").toStdString());
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join('|').toStdString();
    ASSERT_TRUE(dgh.isOpen()) << dgh.errorText().toStdString();
    EXPECT_EQ(window->StatusBar1->panelText(4), "DGH Settings: COM 4,19200,n,8,1");
    EXPECT_EQ(window->StatusBar1->panelPicturePath(4), window->iconPath("greenlight.bmp"));
    EXPECT_EQ(window->StatusBar1->findChild<QLabel*>("StatusBar1_panel4")->toolTip().toStdString(),
              ("DGH bus: COM4 is " + link).toStdString());
    EXPECT_TRUE(askInputs().startsWith('*'));

    // Unplugged and back under another name: the by-id link now points at a
    // second simulator's device; the stored name is unchanged.
    SimProcess second;
    ASSERT_TRUE(second.start({QStringLiteral("--reply-delay-ms"), QStringLiteral("1")}))
        << second.errorText().toStdString();
    ASSERT_NE(second.dghDevice(), first.dghDevice());
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(second.dghDevice(), link));
    EXPECT_EQ(StoredPortDevice(4), link);

    EXPECT_EQ(openBus().toStdString(),
              ("COM4 is " + link + " (now " + second.dghDevice() + ")").toStdString());
    first.stop();
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join('|').toStdString();
    ASSERT_TRUE(dgh.isOpen()) << dgh.errorText().toStdString();
    // Only the second simulator is left to answer.
    EXPECT_TRUE(askInputs().startsWith('*'));
    EXPECT_TRUE(dgh.isOpen());
}
