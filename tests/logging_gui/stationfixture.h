#pragma once
// A real main window on fake ports, a fake clock and a recording operator,
// with its program folder (and the two light images) in a temporary folder.

#include "tests/support/fakes.h"
#include "ui/mainwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace corvale {

class StationFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programDir.isValid());
        QDir(programDir.path()).mkpath(QStringLiteral("icons"));
        QImage light(4, 4, QImage::Format_RGB32);
        light.fill(Qt::green);
        ASSERT_TRUE(light.save(programDir.filePath(QStringLiteral("icons/greenlight.bmp")), "BMP"));
        light.fill(Qt::red);
        ASSERT_TRUE(light.save(programDir.filePath(QStringLiteral("icons/redlight.bmp")), "BMP"));
        startStation();
    }

    void startStation() {
        main.reset();
        main = std::make_unique<frmMain>(Platform{bus, ctd, clock, op, programDir.path()});
    }

    template <typename T> T* window(const char* name) {
        return main->findChild<T*>(QString::fromLatin1(name));
    }

    // Windows destroyed by their close box go at the next event loop turn.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString green() const { return programDir.path() + QStringLiteral("/icons/greenlight.bmp"); }
    QString red() const { return programDir.path() + QStringLiteral("/icons/redlight.bmp"); }

    QTemporaryDir programDir;
    FakeClock clock;
    FakeSerialPort bus{clock, 4, QStringLiteral("19200,n,8,1")};
    FakeSerialPort ctd{clock, 5, QStringLiteral("9600,n,8,1")};
    RecordingOperator op;
    std::unique_ptr<frmMain> main;
};

} // namespace corvale
