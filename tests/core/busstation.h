#pragma once
// The real main window on fake ports, a fake clock and a recording operator,
// with the module bus open and every module answering as a healthy bus does.

#include "tests/support/fakes.h"
#include "ui/mainwindow.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace corvale {

class BusStation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir(QStringLiteral("icons"));
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        ASSERT_TRUE(red.save(dir.filePath(QStringLiteral("icons/redlight.bmp")), "BMP"));
        main = std::make_unique<frmMain>(Platform{bus, ctd, clock, op, dir.path()});
        ASSERT_EQ(bus.open(), SerialPort::OpenError::None);
        Healthy();
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

    FakeClock clock;
    FakeSerialPort bus{clock, 4, QStringLiteral("19200,n,8,1")};
    FakeSerialPort ctd{clock, 5, QStringLiteral("9600,n,8,1")};
    RecordingOperator op;
    QTemporaryDir dir;
    std::unique_ptr<frmMain> main;
};

} // namespace corvale
