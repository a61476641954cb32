// The DGH port settings dialog driven as an operator drives it: load,
// validation, update with its failure rule, device captions.

#include "core/store.h"
#include "portdialog/frmcomms1.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/statusbar.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>

using namespace corvale;

namespace {

class PortDialogTest : public StationTest {
protected:
    frmComms1& open() {
        if (!main)
            make();
        main->showComms();
        frmComms1* d = main->commsDialog();
        EXPECT_NE(d, nullptr);
        return *d;
    }
    static void choose(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
    }
    static QStringList entries(const QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    void update(frmComms1& d) {
        QTest::mouseClick(d.cmdUpdate, Qt::LeftButton);
        flushDeletes();
    }
    QString panel4() const { return main->StatusBar1->panelText(4); }
};

} // namespace

TEST_F(PortDialogTest, LoadFillsTheListsAndSelectsThePortsSettings) {
    frmComms1& d = open();
    EXPECT_EQ(entries(d.cboPort), QStringList({"COM10", "COM9", "COM8", "COM7", "COM6", "COM5",
                                               "COM4", "COM3", "COM2", "COM1"}));
    EXPECT_EQ(entries(d.cboBaud),
              QStringList({"38400", "19200", "9600", "4800", "2400", "1200", "300"}));
    EXPECT_EQ(entries(d.cboDataBits), QStringList({"8", "7"}));
    EXPECT_EQ(entries(d.cboParity), QStringList({"Odd", "Even", "None"}));
    EXPECT_EQ(entries(d.cboStopBits), QStringList({"1", "2"}));

    EXPECT_EQ(d.cboPort->currentText(), "COM4");
    EXPECT_EQ(d.cboBaud->currentText(), "19200");
    EXPECT_EQ(d.cboDataBits->currentText(), "8");
    EXPECT_EQ(d.cboParity->currentText(), "None");
    EXPECT_EQ(d.cboStopBits->currentText(), "1");

    // Opened from the main main, the title bar is empty.
    EXPECT_EQ(d.windowTitle(), "");
    EXPECT_EQ(d.findChild<QLabel*>("lblComm")->text(), "Port:");
    EXPECT_EQ(d.findChild<QLabel*>("lblBaudRate")->text(), "Baud Rate:");
    EXPECT_EQ(d.findChild<QLabel*>("lblDataBits")->text(), "Data Bits:");
    EXPECT_EQ(d.findChild<QLabel*>("Label1")->text(), "Parity:");
    EXPECT_EQ(d.findChild<QLabel*>("lblStopBits")->text(), "Stop Bits:");
    EXPECT_EQ(d.findChild<QPushButton*>("cmdUpdate")->text(), "Update and Open Comm Port");
    EXPECT_FALSE(d.isModal());
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(PortDialogTest, UnknownParityOrBaudLeavesThatListEmptyAndUpdateRefuses) {
    bus.setSettings("600,x,8,1");
    frmComms1& d = open();
    EXPECT_EQ(d.cboParity->currentIndex(), -1);
    EXPECT_EQ(d.cboBaud->currentIndex(), -1);
    choose(d.cboBaud, "9600");

    update(d);
    EXPECT_EQ(op.texts(), QStringList{"Must Select a Parity"});
    EXPECT_EQ(op.messages[0].caption, "Corvale2");
    EXPECT_EQ(main->commsDialog(), &d); // still open
    EXPECT_EQ(bus.settings(), "600,x,8,1");
    EXPECT_EQ(bus.openCount, 0);
    EXPECT_FALSE(main->Timer1.isEnabled());
}

TEST_F(PortDialogTest, ValidationStopsAtTheFirstEmptyListInOrder) {
    bus.setPortNumber(0);
    bus.setSettings("");
    frmComms1& d = open();
    for (QComboBox* box : {d.cboPort, d.cboBaud, d.cboDataBits, d.cboParity, d.cboStopBits})
        EXPECT_EQ(box->currentIndex(), -1) << box->objectName().toStdString();

    const QStringList expected{"Must Select a Port Number", "Must Select a Baud rate",
                               "Must Select a Data Bit", "Must Select a Parity",
                               "Must Select a Stop Bit"};
    const QList<QPair<QComboBox*, QString>> picks{{d.cboPort, "COM2"},
                                                  {d.cboBaud, "2400"},
                                                  {d.cboDataBits, "7"},
                                                  {d.cboParity, "Odd"},
                                                  {d.cboStopBits, "2"}};
    for (int i = 0; i < 5; ++i) {
        op.messages.clear();
        update(d);
        EXPECT_EQ(op.texts(), QStringList{expected[i]});
        EXPECT_EQ(bus.openCount, 0);
        choose(picks[i].first, picks[i].second);
    }
    op.messages.clear();
    update(d);
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(bus.portNumber(), 2);
    // The empty settings text had no fields to keep; every one is chosen.
    EXPECT_EQ(bus.settings(), "2400,o,7,2");
    EXPECT_TRUE(bus.isOpen());
}

TEST_F(PortDialogTest, NonExistentPortIsReportedAndTheRestStillRuns) {
    bus.setOpenResult(SerialPort::OpenError::NoSuchPort);
    frmComms1& d = open();
    QPointer<frmComms1> guard(&d);
    update(d);
    EXPECT_EQ(op.texts(), QStringList{"Invalid ComPort #, please select another one."});
    EXPECT_EQ(op.messages[0].caption, "Corvale2");
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(main->commsDialog(), nullptr);
    EXPECT_EQ(panel4(), "DGH Settings: COM 4,19200,n,8,1");
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4), main->iconPath("greenlight.bmp"));
    EXPECT_TRUE(main->tmrRPM.isEnabled());
    EXPECT_TRUE(main->Timer1.isEnabled());
    EXPECT_FALSE(bus.isOpen());
}

TEST_F(PortDialogTest, PortInUseAndOtherOpenFailures) {
    bus.setOpenResult(SerialPort::OpenError::PortInUse);
    update(open());
    EXPECT_EQ(op.texts(), QStringList{"Port is already open, please select another one."});
    EXPECT_TRUE(main->Timer1.isEnabled());

    // Any other failure (no permission, the usual one) is said once, with
    // the device, the system's words and the fix; the panel stays red and
    // no timer runs on a port that did not open.
    op.messages.clear();
    QTemporaryFile device;
    ASSERT_TRUE(device.open());
    ASSERT_TRUE(device.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadGroup | QFileDevice::WriteGroup));
    bus.setDeviceName(device.fileName());
    bus.setErrorText(device.fileName() + ": Permission denied");
    bus.setOpenResult(SerialPort::OpenError::Other);
    update(open());
    ASSERT_EQ(op.texts().size(), 1);
    const QString text = op.texts()[0];
    EXPECT_TRUE(text.startsWith("Cannot open the DGH bus COM4 (" + device.fileName() +
                                "): Permission denied\n"))
        << text.toStdString();
    // A group that reads and writes it is named, unless it is root's.
    if (QFileInfo(device).group() != "root") {
        EXPECT_TRUE(text.contains("belongs to the group \"" + QFileInfo(device).group() + "\""));
        EXPECT_TRUE(text.contains("then log out and log in again"));
    } else {
        EXPECT_TRUE(text.contains("No group that this user could join opens"));
    }
    EXPECT_EQ(main->commsDialog(), nullptr);
    EXPECT_EQ(panel4(), "Comm port closed");
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4), main->iconPath("redlight.bmp"));
    EXPECT_FALSE(main->Timer1.isEnabled());
    EXPECT_FALSE(main->tmrRPM.isEnabled());
}

TEST_F(PortDialogTest, SuccessfulOpenStartsBothBusTimers) {
    frmComms1& d = open();
    choose(d.cboPort, "COM10");
    update(d);
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_TRUE(bus.isOpen());
    EXPECT_EQ(bus.portNumber(), 10);
    EXPECT_EQ(panel4(), "DGH Settings: COM 10,19200,n,8,1");
    EXPECT_TRUE(main->tmrRPM.isEnabled());
    EXPECT_TRUE(main->Timer1.isEnabled());
    EXPECT_TRUE(main->tmrRPM.isTicking());
    EXPECT_TRUE(main->Timer1.isTicking());
    EXPECT_FALSE(main->tmrPlot.isEnabled());
}

TEST_F(PortDialogTest, ChosenSettingsRoundTripThroughThePort) {
    frmComms1& d = open();
    choose(d.cboBaud, "9600");
    choose(d.cboParity, "Even");
    choose(d.cboDataBits, "7");
    choose(d.cboStopBits, "2");
    choose(d.cboPort, "COM1");
    update(d);
    EXPECT_EQ(bus.settings(), "9600,e,7,2");
    EXPECT_EQ(bus.portNumber(), 1);
    EXPECT_EQ(panel4(), "DGH Settings: COM 1,9600,e,7,2");

    frmComms1& again = open();
    EXPECT_EQ(again.cboPort->currentText(), "COM1");
    EXPECT_EQ(again.cboBaud->currentText(), "9600");
    EXPECT_EQ(again.cboParity->currentText(), "Even");
    EXPECT_EQ(again.cboDataBits->currentText(), "7");
    EXPECT_EQ(again.cboStopBits->currentText(), "2");
    EXPECT_EQ(again.cboPort->count(), 10); // loaded afresh, no duplicates
}

TEST_F(PortDialogTest, UpdatingAnOpenPortClosesItFirst) {
    make();
    bus.open();
    QStringList events;
    bus.onClose = [&] { events << QStringLiteral("close ") + bus.settings(); };
    frmComms1& d = open();
    choose(d.cboBaud, "38400");
    update(d);
    EXPECT_EQ(events, QStringList{"close 19200,n,8,1"});
    EXPECT_EQ(bus.openCount, 2);
    EXPECT_TRUE(bus.isOpen());
    EXPECT_EQ(bus.settings(), "38400,n,8,1");
}

TEST_F(PortDialogTest, MissingGreenLightLeavesThePictureAndDoesTheRest) {
    make(false);
    QDir(programDir.path()).mkpath("icons");
    writeLight("redlight.bmp", Qt::red);
    ASSERT_TRUE(main->StatusBar1->setPanelPicture(4, main->iconPath("redlight.bmp")));
    update(open());
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(main->StatusBar1->panelPicturePath(4), main->iconPath("redlight.bmp"));
    EXPECT_EQ(panel4(), "DGH Settings: COM 4,19200,n,8,1");
    EXPECT_TRUE(main->Timer1.isEnabled());
    EXPECT_TRUE(bus.isOpen());
}

TEST_F(PortDialogTest, CloseBoxAppliesNothingAndTheNextShowLoadsAfresh) {
    frmComms1& d = open();
    QPointer<frmComms1> guard(&d);
    choose(d.cboBaud, "300");
    d.close();
    flushDeletes();
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(bus.settings(), "19200,n,8,1");
    EXPECT_EQ(bus.openCount, 0);
    EXPECT_FALSE(main->Timer1.isEnabled());
    EXPECT_EQ(panel4(), "");
    EXPECT_EQ(open().cboBaud->currentText(), "19200");
}

TEST_F(PortDialogTest, CommDeviceStoresItsCaptionForTheNextLoad) {
    make();
    EXPECT_FALSE(main->portDialog().CommDevice(4));
    EXPECT_FALSE(main->portDialog().CommDevice(-1));
    EXPECT_EQ(main->commsDialog(), nullptr);

    const QStringList captions{"DVL Port Settings", "ROV Lat/Long. Port Settings",
                               "Toolsled Port Settings", "Ship Lat/Long. Port Settings"};
    for (int device = 0; device < 4; ++device) {
        ASSERT_TRUE(main->portDialog().CommDevice(device));
        ASSERT_NE(main->commsDialog(), nullptr);
        EXPECT_EQ(main->commsDialog()->windowTitle(), captions[device]);
        main->commsDialog()->close();
        flushDeletes();
    }
    // A dialog that is already visible keeps its title.
    main->portDialog().CommDevice(0);
    main->portDialog().CommDevice(2);
    EXPECT_EQ(main->commsDialog()->windowTitle(), "DVL Port Settings");
    EXPECT_EQ(main->findChildren<frmComms1*>().size(), 1);
    // An unknown device keeps the stored caption.
    main->portDialog().CommDevice(9);
    EXPECT_EQ(main->portDialog().caption(), "Toolsled Port Settings");
}

TEST_F(PortDialogTest, PortListTellsWhichDeviceEachNumberOpens) {
    QTemporaryFile device;
    ASSERT_TRUE(device.open());
    {
        CORVALE_STORE(store);
        store.setValue("Ports/COM4", device.fileName());
    }
    frmComms1& d = open();
    const QString tip =
        d.cboPort->itemData(d.cboPort->findText("COM4"), Qt::ToolTipRole).toString();
    {
        CORVALE_STORE(store);
        store.remove("Ports/COM4");
    }
    EXPECT_TRUE(tip.contains("COM4 is " + device.fileName())) << tip.toStdString();
    EXPECT_FALSE(tip.contains("not present")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Serial devices found")) << tip.toStdString();
    const QString com9 =
        d.cboPort->itemData(d.cboPort->findText("COM9"), Qt::ToolTipRole).toString();
    EXPECT_TRUE(com9.startsWith("COM9 is ")) << com9.toStdString();
    EXPECT_EQ(d.cboPort->count(), 10); // the hints leave the list as it is
}
