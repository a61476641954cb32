// The "Serial devices" window driven as an operator drives it: the devices
// listed from a folder standing in for /dev/serial/by-id, a typed path, and
// what lands in the real settings store; the port dialog naming the device.

#include "bus/portmap.h"
#include "bus/qtserialport.h"
#include "core/store.h"
#include "portdialog/frmcomms1.h"
#include "portdialog/frmdevices.h"
#include "tests/support/mainwindow_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace corvale;

namespace {

class DevicesWindow : public StationTest {
protected:
    void SetUp() override {
        StationTest::SetUp();
        ASSERT_TRUE(storeDir.isValid());
        ASSERT_TRUE(devDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
        ASSERT_TRUE(QDir(devDir.path()).mkpath(QStringLiteral("by-id")));
        dgh = stand(QStringLiteral("ttyUSB0"));
        ctdTty = stand(QStringLiteral("ttyUSB1"));
        dghLink = link(QStringLiteral("usb-DGH_Bus_Adapter_D100-if00-port0"), dgh);
        ctdLink = link(QStringLiteral("usb-CTD_Line_C200-if00-port0"), ctdTty);
    }
    void TearDown() override {
        main.reset();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        StationTest::TearDown();
    }
    QString stand(const QString& name) {
        QFile f(devDir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    }
    QString link(const QString& name, const QString& target) {
        const QString path = devDir.filePath(QStringLiteral("by-id/") + name);
        EXPECT_TRUE(QFile::link(target, path));
        return path;
    }
    // "Communications" > "Serial devices", listing the stand-in folder.
    frmDevices& open() {
        if (!main)
            make();
        main->mnuDevices->trigger();
        frmDevices* d = main->devicesDialog();
        EXPECT_NE(d, nullptr);
        d->setByIdFolder(devDir.filePath(QStringLiteral("by-id")));
        return *d;
    }
    static QStringList entries(const QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    static void choose(QComboBox* box, const QString& path) {
        const int i = box->findData(path);
        ASSERT_GE(i, 0) << path.toStdString();
        box->setCurrentIndex(i);
    }
    QString storeText() const {
        QFile f(storeDir.filePath(QStringLiteral("Corvale/Corvale.conf")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir storeDir;
    QTemporaryDir devDir;
    QString dgh, ctdTty, dghLink, ctdLink;
};

} // namespace

TEST_F(DevicesWindow, CommunicationsMenuShowsOneNonModalWindowForBothLines) {
    frmMain& w = make();
    EXPECT_EQ(w.mnuComms->actions().indexOf(w.mnuDevices), 1);
    EXPECT_EQ(w.mnuDevices->objectName(), "mnuDevices");
    EXPECT_EQ(w.mnuDevices->text(), "Serial devices");
    frmDevices& d = open();
    w.mnuDevices->trigger();
    EXPECT_EQ(w.devicesDialog(), &d);
    EXPECT_EQ(w.findChildren<frmDevices*>().size(), 1);
    EXPECT_EQ(d.objectName(), "frmDevices");
    EXPECT_EQ(d.windowTitle(), "Serial devices");
    EXPECT_EQ(d.parentWidget(), &w);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.isModal());
    EXPECT_EQ(d.dgh.frame->title(), "DGH bus (COM4)");
    EXPECT_EQ(d.ctd.frame->title(), "CTD line (COM5)");
    EXPECT_EQ(d.dgh.path->text(), "");
    const QString absent = QFile::exists("/dev/ttyS3") ? "" : " (not present)";
    EXPECT_EQ(d.dgh.now->text(), "COM4 opens /dev/ttyS3" + absent);

    // The bus moved to another number: the window follows it when refreshed.
    bus.setPortNumber(7);
    QTest::mouseClick(d.cmdRefresh, Qt::LeftButton);
    EXPECT_EQ(d.dgh.frame->title(), "DGH bus (COM7)");
    QTest::mouseClick(d.cmdClose, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(w.devicesDialog(), nullptr);
}

TEST_F(DevicesWindow, ListedStableNamesAreStoredAsLinksForEachLine) {
    frmDevices& d = open();
    const QStringList listed = entries(d.dgh.list);
    ASSERT_GE(listed.size(), 2);
    // Name order, each with the device it is now.
    EXPECT_EQ(listed[0], ctdLink + " (now " + ctdTty + ")");
    EXPECT_EQ(listed[1], dghLink + " (now " + dgh + ")");
    EXPECT_EQ(entries(d.ctd.list), listed);
    EXPECT_EQ(d.dgh.list->currentIndex(), -1);

    choose(d.dgh.list, dghLink);
    choose(d.ctd.list, ctdLink);
    EXPECT_EQ(d.dgh.path->text(), dghLink);
    EXPECT_EQ(d.ctd.path->text(), ctdLink);
    EXPECT_EQ(d.dgh.now->text(), "COM4 opens " + dghLink + " (now " + dgh + ")");
    QTest::mouseClick(d.cmdSave, Qt::LeftButton);
    EXPECT_TRUE(d.lblResult->text().startsWith("Saved. COM4 is " + dghLink + " (now " + dgh +
                                               "); COM5 is " + ctdLink))
        << d.lblResult->text().toStdString();

    // The links themselves, nothing resolved.
    EXPECT_TRUE(storeText().contains("[Ports]\nCOM4=" + dghLink + "\nCOM5=" + ctdLink + "\n"))
        << storeText().toStdString();
    EXPECT_EQ(PortDevice(4), dghLink);
    EXPECT_EQ(PortDevice(5), ctdLink);
    EXPECT_TRUE(op.messages.isEmpty());

    // A new window shows what is stored.
    d.close();
    flushDeletes();
    frmDevices& again = open();
    EXPECT_EQ(again.dgh.path->text(), dghLink);
    EXPECT_EQ(again.ctd.path->text(), ctdLink);
}

// The station asks for a port's device on every exchange and CTD line, so
// the map is held, not read from the store each time; saving is one of the
// moments it is read again, or a line would open its old device.
TEST_F(DevicesWindow, SavingRereadsTheHeldPortMap) {
    ASSERT_TRUE(StorePortDevice(4, dgh));
    const QtSerialPort line(4, QStringLiteral("19200,n,8,1"));
    EXPECT_EQ(line.deviceName(), dgh);
    {
        // Changed behind the station's back: not seen by the next ask.
        CORVALE_STORE(store);
        store.setValue(QStringLiteral("Ports/COM4"), ctdTty);
        store.sync();
    }
    EXPECT_EQ(line.deviceName(), dgh);

    frmDevices& d = open(); // shows what is stored now
    EXPECT_EQ(d.dgh.path->text(), ctdTty);
    choose(d.dgh.list, dghLink);
    QTest::mouseClick(d.cmdSave, Qt::LeftButton);
    EXPECT_EQ(line.deviceName(), dghLink);
    EXPECT_EQ(PortDevice(5), "/dev/ttyS4");
}

TEST_F(DevicesWindow, TypedPathsAreCheckedThenStoredAndAnEmptyOneRestoresTheDefault) {
    ASSERT_TRUE(StorePortDevice(4, dghLink));
    ASSERT_TRUE(StorePortDevice(5, ctdLink));
    frmDevices& d = open();

    // Not a full path: named, nothing stored.
    d.ctd.path->clear();
    QTest::keyClicks(d.ctd.path, "ttyUSB0");
    EXPECT_EQ(d.ctd.now->text().left(25), "Give the device's full pa");
    d.dgh.path->clear();
    EXPECT_FALSE(d.Save());
    EXPECT_TRUE(d.lblResult->text().startsWith("CTD line: Give the device's full path"))
        << d.lblResult->text().toStdString();
    EXPECT_TRUE(d.lblResult->text().endsWith("Nothing was saved."));
    EXPECT_EQ(PortDevice(4), dghLink);
    EXPECT_EQ(PortDevice(5), ctdLink);

    // A device not plugged in yet may be named; the window says it is absent.
    d.ctd.path->setText("  /dev/corvale-ttyUSB9 ");
    EXPECT_EQ(d.ctd.now->text(), "COM5 opens /dev/corvale-ttyUSB9 (not present)");
    QTest::mouseClick(d.cmdSave, Qt::LeftButton);
    EXPECT_EQ(d.ctd.path->text(), "/dev/corvale-ttyUSB9");
    EXPECT_EQ(PortDevice(5), "/dev/corvale-ttyUSB9");
    // The emptied bus path removed its entry: COM4 opens its default again.
    EXPECT_EQ(StoredPortDevice(4), "");
    EXPECT_EQ(PortDevice(4), "/dev/ttyS3");
    EXPECT_FALSE(storeText().contains("COM4=")) << storeText().toStdString();

    // Both lines on one number cannot open two devices.
    bus.setPortNumber(5);
    d.Refresh();
    d.dgh.path->setText(dgh);
    EXPECT_FALSE(d.Save());
    EXPECT_EQ(d.lblResult->text(), "The DGH bus and the CTD line both use COM5, which opens one "
                                   "device. Nothing was saved.");
    EXPECT_EQ(PortDevice(5), "/dev/corvale-ttyUSB9");
}

TEST_F(DevicesWindow, PortDialogNamesTheDeviceOfTheSelectedNumber) {
    ASSERT_TRUE(StorePortDevice(4, dghLink));
    ASSERT_TRUE(StorePortDevice(9, "/dev/corvale-no-such-port"));
    make();
    main->showComms();
    frmComms1* c = main->commsDialog();
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->findChild<QLabel*>("lblDevice"), c->lblDevice);
    // A long name is shortened in its middle; the number and the device it
    // is now stay in view, and the tip has it whole.
    const QString full = "COM4 is " + dghLink + " (now " + dgh + ")";
    EXPECT_EQ(c->lblDevice->toolTip().toStdString(), full.toStdString());
    const QString shown = c->lblDevice->text();
    EXPECT_TRUE(shown == full || (shown.startsWith("COM4 is /") && shown.contains(QChar(0x2026)) &&
                                  shown.endsWith("ttyUSB0)")))
        << shown.toStdString();
    EXPECT_LE(c->lblDevice->sizeHint().width(), 600);
    c->cboPort->setCurrentIndex(c->cboPort->findText("COM9"));
    EXPECT_EQ(c->lblDevice->text().toStdString(),
              "COM9 is /dev/corvale-no-such-port (not present)");
    EXPECT_EQ(c->lblDevice->toolTip(), c->lblDevice->text());
    // Under the lists, above the button.
    const QRect label = c->lblDevice->geometry();
    EXPECT_GT(label.top(), c->cboStopBits->geometry().bottom());
    EXPECT_LT(label.bottom(), c->cmdUpdate->geometry().top());
}
