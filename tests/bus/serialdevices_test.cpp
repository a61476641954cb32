// The devices an operator gives a line: how they are listed and described,
// and what the store keeps (real QSettings and a real folder of links).

#include "bus/portmap.h"
#include "bus/serialdevices.h"
#include "core/store.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

class DeviceStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(storeDir.isValid());
        ASSERT_TRUE(folder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
    }
    void TearDown() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QString storeText() const {
        QFile f(storeDir.filePath(QStringLiteral("Corvale/Corvale.conf")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // A plain file standing in for a device, and a link to it.
    QString device(const QString& name) {
        QFile f(folder.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    }
    QString link(const QString& name, const QString& target) {
        QDir(folder.path()).mkpath(QStringLiteral("by-id"));
        const QString path = folder.filePath(QStringLiteral("by-id/") + name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::link(target, path)) << path.toStdString();
        return path;
    }

    QTemporaryDir storeDir;
    QTemporaryDir folder;
};

} // namespace

TEST_F(DeviceStore, TheChoiceIsKeptAsGivenAndEmptyBringsBackTheDefault) {
    const QString tty = device(QStringLiteral("ttyUSB0"));
    const QString byId = link(QStringLiteral("usb-FTDI_FT232R_A50285BI-if00-port0"), tty);

    ASSERT_TRUE(StorePortDevice(4, QStringLiteral("  ") + byId + QStringLiteral("\t")));
    // The link, never the device it points at today.
    EXPECT_EQ(StoredPortDevice(4), byId);
    EXPECT_EQ(PortDevice(4), byId);
    EXPECT_TRUE(storeText().contains(QStringLiteral("[Ports]\nCOM4=") + byId + "\n"))
        << storeText().toStdString();
    EXPECT_FALSE(storeText().contains(tty)) << storeText().toStdString();
    EXPECT_EQ(PortDeviceHint(4), QStringLiteral("COM4 is %1 (now %2)").arg(byId, tty));

    // Pointed elsewhere (plugged in again under another name): still the link.
    const QString other = device(QStringLiteral("ttyUSB3"));
    link(QStringLiteral("usb-FTDI_FT232R_A50285BI-if00-port0"), other);
    EXPECT_EQ(PortDevice(4), byId);
    EXPECT_EQ(PortDeviceHint(4), QStringLiteral("COM4 is %1 (now %2)").arg(byId, other));
    QFile::remove(other);
    EXPECT_EQ(PortDeviceHint(4), QStringLiteral("COM4 is %1 (not present)").arg(byId));

    ASSERT_TRUE(StorePortDevice(5, QStringLiteral("/dev/ttyUSB9")));
    ASSERT_TRUE(StorePortDevice(4, QString()));
    EXPECT_EQ(StoredPortDevice(4), QString());
    EXPECT_EQ(PortDevice(4), DefaultPortDevice(4));
    EXPECT_EQ(DefaultPortDevice(4), QStringLiteral("/dev/ttyS3"));
    EXPECT_FALSE(storeText().contains(QStringLiteral("COM4"))) << storeText().toStdString();
    EXPECT_EQ(PortDevice(5), QStringLiteral("/dev/ttyUSB9"));
}

TEST_F(DeviceStore, NamesThatCannotBeADeviceAreRefusedAndNothingIsStored) {
    ASSERT_TRUE(StorePortDevice(4, QStringLiteral("/dev/ttyUSB0")));
    for (const QString& bad :
         {QStringLiteral("ttyUSB0"), QStringLiteral("COM4"),
          QStringLiteral("/dev/ttyUSB0\n[Ports]"), QStringLiteral("/dev/tty\x01USB0"),
          QStringLiteral("/dev/serial/")}) {
        SCOPED_TRACE(bad.toStdString());
        const auto problem = DeviceNameProblem(bad);
        ASSERT_TRUE(problem.has_value());
        EXPECT_FALSE(problem->isEmpty());
        EXPECT_FALSE(StorePortDevice(4, bad));
        EXPECT_EQ(PortDevice(4), QStringLiteral("/dev/ttyUSB0"));
    }
    EXPECT_EQ(DeviceNameProblem(QStringLiteral("ttyUSB0")).value_or(QString()),
              QStringLiteral("Give the device's full path, for example /dev/ttyUSB0 or "
                             "/dev/serial/by-id/...; \"ttyUSB0\" is not one."));
    for (const QString& good : {QString(), QStringLiteral("  "), QStringLiteral("/dev/ttyACM0"),
                                QStringLiteral("/dev/serial/by-id/usb-Prolific_ä-port0")})
        EXPECT_FALSE(DeviceNameProblem(good).has_value()) << good.toStdString();
}

TEST_F(DeviceStore, StableNamesComeFirstEachWithTheDeviceItIsNow) {
    const QString a = device(QStringLiteral("ttyUSB0"));
    const QString b = device(QStringLiteral("ttyUSB1"));
    const QString second = link(QStringLiteral("usb-B_ctd-if00"), b);
    const QString first = link(QStringLiteral("usb-A_dgh-if00"), a);
    const QString gone = link(QStringLiteral("usb-C_gone-if00"), folder.filePath("ttyUSB7"));
    QDir(folder.path()).mkpath(QStringLiteral("by-id/not-a-device"));

    const QList<SerialDevice> listed = ListSerialDevices(folder.filePath(QStringLiteral("by-id")));
    ASSERT_GE(listed.size(), 3);
    EXPECT_EQ(listed[0].path, first);
    EXPECT_EQ(listed[0].now, a);
    EXPECT_EQ(listed[1].path, second);
    EXPECT_EQ(listed[1].now, b);
    EXPECT_EQ(listed[2].path, gone);
    EXPECT_TRUE(listed[2].now.isEmpty());
    for (int i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].stable, i < 3) << listed[i].path.toStdString();
        EXPECT_FALSE(listed[i].path.endsWith(QStringLiteral("not-a-device")));
    }
    EXPECT_EQ(DescribeSerialDevice(listed[0]), first + QStringLiteral(" (now ") + a + ")");
    EXPECT_EQ(DescribeSerialDevice(listed[2]), gone + QStringLiteral(" (not connected)"));

    SerialDevice usb;
    usb.path = usb.now = QStringLiteral("/dev/ttyUSB0");
    usb.description = QStringLiteral("FT232R USB UART");
    usb.serialNumber = QStringLiteral("A50285BI");
    EXPECT_EQ(DescribeSerialDevice(usb), "/dev/ttyUSB0: FT232R USB UART, serial A50285BI");
    usb.path = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    usb.description.clear();
    EXPECT_EQ(DescribeSerialDevice(usb),
              usb.path + QStringLiteral(" (now /dev/ttyUSB0): serial A50285BI"));

    // No by-id folder (no USB serial device plugged in): only the system's list.
    for (const SerialDevice& d : ListSerialDevices(folder.filePath(QStringLiteral("missing"))))
        EXPECT_FALSE(d.stable);
}

TEST(PermissionAdvice, NamesAGroupOnlyWhenThatGroupOpensTheDevice) {
    const QString dialout = PermissionAdvice(
        QStringLiteral("/dev/ttyUSB0"), {QStringLiteral("root"), QStringLiteral("dialout"), 0660});
    EXPECT_TRUE(dialout.contains(QStringLiteral("\n    sudo usermod -aG dialout $USER\n")))
        << "the command whole, on a line of its own: " << dialout.toStdString();
    EXPECT_TRUE(dialout.contains(QStringLiteral("then log out and log in again")));

    const QString rootOnly = PermissionAdvice(
        QStringLiteral("/dev/ttyUSB0"), {QStringLiteral("root"), QStringLiteral("root"), 0600});
    EXPECT_FALSE(rootOnly.contains(QStringLiteral("usermod"))) << rootOnly.toStdString();
    EXPECT_TRUE(
        rootOnly.startsWith(QStringLiteral("No group that this user could join opens /dev/ttyUSB0 "
                                           "(owner root, group root, mode 600).")))
        << rootOnly.toStdString();
    EXPECT_TRUE(rootOnly.contains(
        QStringLiteral("\n    KERNEL==\"ttyUSB0\", GROUP=\"dialout\", MODE=\"0660\"\n")));
    EXPECT_TRUE(rootOnly.contains(QStringLiteral("administrator")));
    // A group that may only read, and root's own group, are no advice either.
    for (const DeviceAccess& a :
         {DeviceAccess{QStringLiteral("root"), QStringLiteral("uucp"), 0640},
          DeviceAccess{QStringLiteral("root"), QStringLiteral("root"), 0660}})
        EXPECT_FALSE(
            PermissionAdvice(QStringLiteral("/dev/ttyS3"), a).contains(QStringLiteral("usermod")));
}
