// The station's serial port over a bare pseudo-terminal pair: the test plays
// the module on the other end.

#include "bus/dghlink.h"
#include "bus/qtserialport.h"
#include "core/clock.h"
#include "tests/support/fakes.h"
#include "tests/support/simprocess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <atomic>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace corvale;

namespace {

struct PtyPeer : ::testing::Test {
    PrivateStore store;
    int master = -1;
    int slave = -1;
    QString device;
    RealClock clock;
    RecordingOperator op;
    QtSerialPort port{7, QStringLiteral("19200,n,8,1")};
    DghLink link{port, clock, op};
    std::thread peer;

    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        tcsetattr(slave, TCSANOW, &t);
        device = QString::fromLocal8Bit(name);
        store.mapPort(7, device);
    }
    void TearDown() override {
        if (peer.joinable())
            peer.join();
        port.close();
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    // Bytes the peer receives within `timeoutMs`, up to and including a CR.
    QByteArray receiveLine(int timeoutMs = 1000) {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (!got.endsWith('\r') && t.elapsed() < timeoutMs) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 10) == 1) {
                char c;
                if (::read(master, &c, 1) == 1)
                    got += c;
            }
        }
        return got;
    }
    // The peer answers the next line `delayMs` after it has arrived, and
    // notes when its answer went out.
    void answerNextLine(const QByteArray& reply, int delayMs) {
        peer = std::thread([this, reply, delayMs] {
            receiveLine();
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            [[maybe_unused]] const ssize_t n = ::write(master, reply.constData(), reply.size());
            answeredAt = std::chrono::steady_clock::now();
        });
    }
    std::chrono::steady_clock::time_point answeredAt;
};

} // namespace

TEST_F(PtyPeer, CommandArrivesAtThePeerByteForByte) {
    ASSERT_EQ(port.open(), SerialPort::OpenError::None) << port.errorText().toStdString();
    RunTask(link.Exchange("$0AO+00250.00\r"), clock);
    EXPECT_EQ(receiveLine(), "$0AO+00250.00\r"); // no line-end translation, no echo
    RunTask(link.Exchange("$9DI\r"), clock);
    EXPECT_EQ(receiveLine(), "$9DI\r");
}

TEST_F(PtyPeer, ReplyWithinTheWindowIsReturned) {
    ASSERT_EQ(port.open(), SerialPort::OpenError::None);
    // A loaded machine may hold the peer past the window; such a round
    // proves nothing and is tried again.
    for (int round = 0; round < 5; ++round) {
        answerNextLine("*+00012.34\r", 5);
        const auto sent = std::chrono::steady_clock::now();
        const QString reply = RunTask(link.Exchange("$1RD\r"), clock).reply;
        const auto done = std::chrono::steady_clock::now();
        peer.join();
        EXPECT_GE(done - sent, std::chrono::milliseconds(35));
        if (answeredAt - sent < std::chrono::milliseconds(30)) {
            EXPECT_EQ(reply, "*+00012.34");
            EXPECT_TRUE(op.messages.isEmpty());
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        port.setReadLength(0);
        while (port.charactersWaiting() > 0)
            port.read();
    }
    GTEST_SKIP() << "the machine is too busy to answer within the window";
}

TEST_F(PtyPeer, LateReplyTimesOutAndIsMetByTheNextRead) {
    ASSERT_EQ(port.open(), SerialPort::OpenError::None);
    // Late by far more than the window, so that a slow drain still misses it.
    answerNextLine("*+00001.00\r", 300);
    EXPECT_EQ(RunTask(link.Exchange("$1RD\r"), clock).status, BusExchange::Status::Timeout);
    peer.join();
    // The peer does not answer this one.
    EXPECT_EQ(RunTask(link.Exchange("$4RD\r"), clock).reply, "*+00001.00");
    EXPECT_EQ(receiveLine(), "$4RD\r");
}

TEST_F(PtyPeer, MappedDeviceThatIsMissingReportsNoSuchPort) {
    store.mapPort(9, QStringLiteral("/dev/corvale-no-such-device"));
    QtSerialPort missing(9, QStringLiteral("19200,n,8,1"));
    EXPECT_EQ(missing.open(), SerialPort::OpenError::NoSuchPort);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_TRUE(missing.errorText().contains(QLatin1String("/dev/corvale-no-such-device")));
    // A pseudo-terminal whose other end has gone is missing too (unless a
    // test running alongside got its number meanwhile).
    ::close(slave);
    ::close(master);
    slave = master = -1;
    const SerialPort::OpenError gone = port.open();
    if (!QFileInfo::exists(device)) {
        EXPECT_EQ(gone, SerialPort::OpenError::NoSuchPort);
    }
}

TEST_F(PtyPeer, PortAlreadyOpenedByAnotherPortIsInUse) {
    ASSERT_EQ(port.open(), SerialPort::OpenError::None);
    QtSerialPort second(7, QStringLiteral("19200,n,8,1"));
    EXPECT_EQ(second.open(), SerialPort::OpenError::PortInUse) << second.errorText().toStdString();
    EXPECT_FALSE(second.isOpen());
    // The first one still works.
    RunTask(link.Exchange("$9DI\r"), clock);
    EXPECT_EQ(receiveLine(), "$9DI\r");
    port.close();
    EXPECT_EQ(second.open(), SerialPort::OpenError::None);
}
