#pragma once
// A real frmMain built from fakes: two fake ports on a fake clock, a
// recording operator and a program folder of its own (with or without the
// two light images).

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

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(programDir.isValid()); }
    // Close recorders point into the test body, which has ended by now.
    void TearDown() override {
        dgh.onClose = nullptr;
        ctd.onClose = nullptr;
    }

    // Builds the window; with `icons` the program folder holds both lights.
    frmMain& make(bool icons = true) {
        if (icons) {
            QDir(programDir.path()).mkpath(QStringLiteral("icons"));
            writeLight(QStringLiteral("greenlight.bmp"), Qt::green);
            writeLight(QStringLiteral("redlight.bmp"), Qt::red);
        }
        window = std::make_unique<frmMain>(Platform{dgh, ctd, clock, op, programDir.path()});
        return *window;
    }

    void writeLight(const QString& file, Qt::GlobalColor colour) {
        QImage image(12, 12, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(programDir.filePath(QStringLiteral("icons/") + file), "BMP"));
    }

    // Runs the deletions that closed dialogs have scheduled.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    FakeClock clock;
    FakeSerialPort dgh{clock, 4, QStringLiteral("19200,n,8,1")};
    FakeSerialPort ctd{clock, 5, QStringLiteral("9600,n,8,1")};
    RecordingOperator op;
    QTemporaryDir programDir;
    std::unique_ptr<frmMain> window;
};

} // namespace corvale
