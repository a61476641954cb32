#pragma once
// The one fixture that builds the real main window on fakes: two fake ports
// on a fake clock, a recording operator and a program folder of its own
// (with or without the two light images). make() builds the window;
// makeOnBus() builds it with the module bus open and every module answering
// as a healthy bus does. WindowOnFakes serves where there is no test around
// it (a helper process, a benchmark); StationTest is the test fixture.

#include "tests/support/fakes.h"
#include "tests/support/toolbar.h"
#include "ui/mainwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace corvale {

class WindowOnFakes {
public:
    // Builds the window (again); with `icons` the program folder holds both lights.
    frmMain& make(bool icons = true) {
        if (icons) {
            QDir(programDir.path()).mkpath(QStringLiteral("icons"));
            writeLight(QStringLiteral("greenlight.bmp"), Qt::green);
            writeLight(QStringLiteral("redlight.bmp"), Qt::red);
        }
        main.reset();
        main = std::make_unique<frmMain>(Platform{bus, ctd, *windowClock, op, programDir.path()});
        return *main;
    }
    frmMain& makeOnBus() {
        make();
        EXPECT_EQ(bus.open(), SerialPort::OpenError::None);
        Healthy();
        return *main;
    }

    // Every module answers at once; tests override single addresses.
    void Healthy() {
        bus.answer("$9DI", "*0003\r");
        bus.answer("$ARD", "*+00123.45\r");
        bus.answer("$1RD", "*+00020.00\r");
        bus.answer("$4RD", "*+00020.00\r");
        bus.answer("$5RD", "*+00012.34\r");
        bus.answer("$6RD", "*+00100.00\r");
        bus.answer("$7RD", "*+00100.00\r");
        bus.answer("$9SP", "*\r");
        bus.answer("$9CP", "*\r");
        bus.answer("$0AO", "*\r");
        bus.answer("$2AO", "*\r");
        bus.answer("$3AO", "*\r");
    }
    // A module that does not answer at all.
    void Silent(const QByteArray& prefix) { bus.answer(prefix, QByteArray()); }

    // Lines written to the bus since the last call, without their carriage return.
    QStringList TakeLines() {
        QStringList out;
        for (const QByteArray& line : bus.written) {
            EXPECT_TRUE(line.endsWith('\r')) << line.constData();
            out << QString::fromLatin1(line.chopped(1));
        }
        bus.written.clear();
        return out;
    }
    // Polls once with the given reply to the digital-input read.
    void Poll(const QByteArray& reply) {
        bus.answer("$9DI", reply);
        ASSERT_TRUE(main->Timer1.fire());
    }

    // An element of the window by its objectName.
    template <typename T> T* find(const char* name) {
        return main->findChild<T*>(QString::fromLatin1(name));
    }

    void writeLight(const QString& file, Qt::GlobalColor colour) {
        QImage image(12, 12, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(programDir.filePath(QStringLiteral("icons/") + file), "BMP"));
    }
    QString green() const { return programDir.path() + QStringLiteral("/icons/greenlight.bmp"); }
    QString red() const { return programDir.path() + QStringLiteral("/icons/redlight.bmp"); }

    // Runs the deletions that closed dialogs have scheduled.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    FakeClock clock;
    FakeSerialPort bus{clock, 4, QStringLiteral("19200,n,8,1")};
    FakeSerialPort ctd{clock, 5, QStringLiteral("9600,n,8,1")};
    RecordingOperator op;
    QTemporaryDir programDir;
    // The window's clock; a test of real time gives it a real one.
    Clock* windowClock = &clock;
    std::unique_ptr<frmMain> main;
};

class StationTest : public ::testing::Test, public WindowOnFakes {
protected:
    void SetUp() override { ASSERT_TRUE(programDir.isValid()); }
    // Close recorders point into the test body, which has ended by now.
    void TearDown() override {
        bus.onClose = nullptr;
        ctd.onClose = nullptr;
    }
};

// The window built before each test.
class WindowTest : public StationTest {
protected:
    void SetUp() override {
        StationTest::SetUp();
        make();
    }
};

// The window built on a healthy open bus before each test.
class OnBusTest : public StationTest {
protected:
    void SetUp() override {
        StationTest::SetUp();
        makeOnBus();
    }
};

// The window on a healthy open bus with the poll and the once-a-second
// cycle switched on; a test fires them.
class PollingTest : public OnBusTest {
protected:
    void SetUp() override {
        OnBusTest::SetUp();
        main->Timer1.setEnabled(true);
        main->tmrRPM.setEnabled(true);
    }
};

// The window on a healthy open bus with its reply waits kept pending, as a
// real clock keeps them, so a test acts while a command waits.
class WaitingBusTest : public OnBusTest {
protected:
    void SetUp() override {
        OnBusTest::SetUp();
        clock.setDeferredWaits(true);
    }
    BusSession& session() { return main->bus(); }
};

} // namespace corvale
