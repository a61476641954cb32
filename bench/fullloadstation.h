#pragma once
// The station at full load on the flume simulator, as the benchmarks run it:
// a private settings store mapping COM4 and COM5 to the simulator's two
// lines (CTD at 24 records a second), the bus opened from the port dialog,
// pH on, the CTD line read, both charts fed, and logging every 0.5 s to a
// file of its own; optionally the raw archive with bus exchanges and the
// ship feed to a loopback port.

#include "bench/benchsupport.h"
#include "bus/qtserialport.h"
#include "feed/shipfeed.h"
#include "logging/frmlogbf2.h"
#include "portdialog/frmcomms1.h"
#include "tests/support/simprocess.h"
#include "tests/support/toolbar.h"
#include "ui/mainwindow.h"
#include "widgets/togglebutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>

namespace corvale {

// Runs the event loop for `ms` as the station's own loop runs: unlike
// QTest::qWait, which sleeps 10 ms between turns and so delays every timer.
inline void WaitMs(qint64 ms) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct FullLoadOptions {
    QString logName = QStringLiteral("bench.csv");
    bool rawArchive = false;
    quint16 feedPort = 0; // 0: no feed
};

class FullLoadStation {
    // First made, last gone: the window closes before the simulator stops.
    PrivateStore store_;
    SimProcess sim_;
    QTemporaryDir logDir_;

public:
    // True when the simulator started and both lines opened.
    bool start(Clock& clock, const FullLoadOptions& options) {
        if (!store_.isValid() || !logDir_.isValid() ||
            !sim_.start({QStringLiteral("--ctd-rate"), QStringLiteral("24")})) {
            std::fprintf(stderr, "simulator did not start: %s\n", qPrintable(sim_.errorText()));
            return false;
        }
        store_.mapPort(4, sim_.dghDevice());
        store_.mapPort(5, sim_.ctdDevice());
        op.file = logDir_.filePath(options.logName);
        main = std::make_unique<frmMain>(
            Platform{dgh, ctd, clock, op, QStringLiteral(CORVALE_BINARY_DIR)});
        main->resize(1280, 800);
        main->show();
        main->showComms();
        QTest::mouseClick(main->commsDialog()->cmdUpdate, Qt::LeftButton);
        main->bus().runUntilIdle();
        main->cwbPh->setValue(true);
        main->cwCTDflag->setValue(true);
        main->cwPlot->setValue(true);
        main->cwCTDplot->setValue(true);
        if (options.feedPort > 0) {
            FeedSettings feed;
            feed.enabled = true;
            feed.port = options.feedPort;
            main->feed().setSettings(feed);
        }
        ClickToolbar(*main, "start");
        if (auto* logger = main->findChild<frmLogBF2*>(QStringLiteral("frmLogBF2"))) {
            logger->optDatafile[1]->click();
            logger->cmdSelect->click();
            logger->optAppend[1]->click();
            logger->cmbInterval->setCurrentIndex(7); // 0.5 s
            logger->chkRawArchive->setChecked(options.rawArchive);
            logger->chkRawArchiveBus->setChecked(options.rawArchive);
            logger->cmdExit->click();
        }
        if (!linesOpen()) {
            std::fprintf(stderr, "the bus or the CTD line did not open\n");
            return false;
        }
        return true;
    }
    bool linesOpen() const { return dgh.isOpen() && ctd.isOpen(); }

    QtSerialPort dgh{4, QStringLiteral("19200,n,8,1")};
    QtSerialPort ctd{5, QStringLiteral("9600,n,8,1")};
    BenchOperator op;
    std::unique_ptr<frmMain> main;
};

} // namespace corvale
