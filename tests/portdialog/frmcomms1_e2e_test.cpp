// The operator opens the DGH bus to the flume simulator through the port
// dialog: real window, real serial port, the simulator's pseudo-terminal
// mapped to COM4.

#include "tests/support/simstation.h"
#include "widgets/statusbar.h"

#include <gtest/gtest.h>

using namespace corvale;

namespace {

class PortDialogOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        st.store.mapPort(9, QStringLiteral("/dev/corvale-no-such-port"));
        ASSERT_TRUE(st.start()) << st.errorText().toStdString();
        window = st.main.get();
    }

    // Menu "Communications" > "DGH Comm Port", pick a port, press the button.
    void openBus(const QString& port) { ASSERT_TRUE(OpenBusFromDialog(*window, port)); }

    QString askInputs() { return AskDigitalInputs(window->bus(), dgh); }

    SimStation st;
    QtSerialPort& dgh = *st.dgh;
    RecordingOperator& op = st.op;
    frmMain* window = nullptr;
};

} // namespace

TEST_F(PortDialogOnSimulator, OperatorOpensTheBusAndTheModulesAnswer) {
    openBus(QStringLiteral("COM4"));
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join('|').toStdString();
    ASSERT_TRUE(dgh.isOpen()) << dgh.errorText().toStdString();
    EXPECT_EQ(window->commsDialog(), nullptr);
    EXPECT_EQ(window->StatusBar1->panelText(4), "DGH Settings: COM 4,19200,n,8,1");
    EXPECT_EQ(window->StatusBar1->panelPicturePath(4), window->iconPath("greenlight.bmp"));
    EXPECT_TRUE(window->tmrRPM.isTicking());
    EXPECT_TRUE(window->Timer1.isTicking());
    // The simulator's relay module answers with its four input digits.
    const QString reply = askInputs();
    EXPECT_TRUE(reply.startsWith("*")) << reply.toStdString();
    EXPECT_EQ(reply.size(), 5) << reply.toStdString();
}

TEST_F(PortDialogOnSimulator, MissingAndBusyPortsAreReportedAsTheOperatorSeesThem) {
    openBus(QStringLiteral("COM9"));
    EXPECT_EQ(op.texts(), QStringList{"Invalid ComPort #, please select another one."});
    EXPECT_FALSE(dgh.isOpen());
    EXPECT_EQ(window->StatusBar1->panelText(4), "DGH Settings: COM 9,19200,n,8,1");
    EXPECT_TRUE(window->Timer1.isEnabled());

    // Another program holds the simulator's bus device.
    QtSerialPort other(4, QStringLiteral("19200,n,8,1"));
    ASSERT_EQ(other.open(), SerialPort::OpenError::None) << other.errorText().toStdString();
    op.messages.clear();
    openBus(QStringLiteral("COM4"));
    EXPECT_EQ(op.texts(), QStringList{"Port is already open, please select another one."});
    EXPECT_FALSE(dgh.isOpen());

    // Once it lets go, the same three clicks open the bus.
    other.close();
    op.messages.clear();
    openBus(QStringLiteral("COM4"));
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join('|').toStdString();
    EXPECT_TRUE(dgh.isOpen()) << dgh.errorText().toStdString();
    EXPECT_TRUE(askInputs().startsWith("*"));
}
