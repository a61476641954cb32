// The port dialog's text rules: settings fields, port names, parity names,
// the status text and the device captions.

#include "bus/faults.h"
#include "core/store.h"
#include "portdialog/commsettings.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvale;

TEST(CommSettings, SplitAlwaysGivesFourFields) {
    EXPECT_EQ(SplitSettings("19200,n,8,1"), QStringList({"19200", "n", "8", "1"}));
    EXPECT_EQ(SplitSettings(""), QStringList({"", "", "", ""}));
    EXPECT_EQ(SplitSettings("9600,e"), QStringList({"9600", "e", "", ""}));
    // Nothing is lost when the text holds more than four fields.
    EXPECT_EQ(SplitSettings("1,2,3,4,5").join(','), "1,2,3,4,5");
    EXPECT_EQ(SplitSettings("1,2,3,4,5").size(), 4);
}

TEST(CommSettings, OnlyExactComNamesOneToTenArePorts) {
    EXPECT_EQ(PortNumberFromName("COM1"), 1);
    EXPECT_EQ(PortNumberFromName("COM10"), 10);
    for (const char* bad : {"COM0", "COM11", "com4", "COM4 ", " COM4", "COM04", "4", ""})
        EXPECT_FALSE(PortNumberFromName(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(PortNameFromNumber(7), "COM7");
    EXPECT_EQ(PortNameFromNumber(0), "");
    EXPECT_EQ(PortNameFromNumber(11), "");
}

TEST(CommSettings, ParityNamesMatchWithoutCase) {
    EXPECT_EQ(ParityLetter("None"), "n");
    EXPECT_EQ(ParityLetter("EVEN"), "e");
    EXPECT_EQ(ParityLetter("odd"), "o");
    EXPECT_FALSE(ParityLetter("Mark"));
    EXPECT_FALSE(ParityLetter(""));
    EXPECT_EQ(ParityName("n"), "None");
    EXPECT_EQ(ParityName("e"), "Even");
    EXPECT_EQ(ParityName("o"), "Odd");
    EXPECT_FALSE(ParityName("m"));
    EXPECT_FALSE(ParityName(""));
}

TEST(CommSettings, StatusTextHasOneBlankBeforeThePortNumber) {
    const QStringList f{"19200", "n", "8", "1"};
    EXPECT_EQ(DghStatusText(4, f), "DGH Settings: COM 4,19200,n,8,1");
    EXPECT_EQ(DghStatusText(10, f), "DGH Settings: COM 10,19200,n,8,1");
    EXPECT_EQ(DghStatusText(-1, f), "DGH Settings: COM-1,19200,n,8,1");
}

TEST(CommSettings, FourDevicesHaveCaptions) {
    EXPECT_EQ(CommDeviceCaption(0), "DVL Port Settings");
    EXPECT_EQ(CommDeviceCaption(1), "ROV Lat/Long. Port Settings");
    EXPECT_EQ(CommDeviceCaption(2), "Toolsled Port Settings");
    EXPECT_EQ(CommDeviceCaption(3), "Ship Lat/Long. Port Settings");
    EXPECT_FALSE(CommDeviceCaption(4));
    EXPECT_FALSE(CommDeviceCaption(-1));
}

// A hand-edited [Faults] section never gives more retries than allowed, and
// a value that is no number is the default; reconnect is off unless
// plainly on.
TEST(FaultSettings, StoredRetriesAreReadWithinTheirRange) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    EXPECT_EQ(LoadFaultSettings().retries, 0);
    const std::pair<const char*, int> cases[] = {{"2", 2},  {" 3 ", 3}, {"7", 3},
                                                 {"-1", 0}, {"two", 0}, {"", 0}};
    for (const auto& [text, expected] : cases) {
        {
            CORVALE_STORE(store);
            store.setValue(QStringLiteral("Faults/retries"), QString::fromLatin1(text));
        }
        EXPECT_EQ(LoadFaultSettings().retries, expected) << text;
    }
    ASSERT_TRUE(StoreFaultSettings(FaultSettings{1}));
    EXPECT_EQ(LoadFaultSettings().retries, 1);
    // Reconnect is on only when plainly said so; anything else is off.
    EXPECT_FALSE(LoadFaultSettings().reconnect);
    const std::pair<const char*, bool> switches[] = {{"true", true}, {" 1", true}, {"TRUE", true},
                                                     {"yes", false}, {"2", false}, {"", false}};
    for (const auto& [text, expected] : switches) {
        {
            CORVALE_STORE(store);
            store.setValue(QStringLiteral("Faults/reconnect"), QString::fromLatin1(text));
        }
        EXPECT_EQ(LoadFaultSettings().reconnect, expected) << text;
    }
    FaultSettings both;
    both.retries = 2;
    both.reconnect = true;
    ASSERT_TRUE(StoreFaultSettings(both));
    EXPECT_EQ(LoadFaultSettings().retries, 2);
    EXPECT_TRUE(LoadFaultSettings().reconnect);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
