#pragma once
// The real main window built on fake ports, a fake clock and a recording
// operator, as the chart and CTD panel tests drive it.

#include "tests/support/fakes.h"
#include "ui/mainwindow.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

class StationFixture : public ::testing::Test {
protected:
    StationFixture() {
        ctdPort.setReceiveThreshold(1);
        ctdPort.setReadLength(1);
        window = std::make_unique<frmMain>(
            Platform{dghPort, ctdPort, clock, op, QCoreApplication::applicationDirPath()});
    }

    template <typename T> T* find(const QString& name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    FakeClock clock;
    FakeSerialPort dghPort{clock, 4, QStringLiteral("19200,n,8,1")};
    FakeSerialPort ctdPort{clock, 5, QStringLiteral("9600,n,8,1")};
    RecordingOperator op;
    std::unique_ptr<frmMain> window;
};
