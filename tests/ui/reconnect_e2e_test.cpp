// Reconnect on, on the flume simulator: both lines unplugged at once while
// the station logs with the raw archive, and back on new pseudo-terminals
// behind the simulator's links. No box; the station says why, goes on by
// itself, and every trace keeps the gap visible without filling it.

#include "archive/archivereader.h"
#include "feed/frmfeed.h"
#include "health/frmhealth.h"
#include "health/linkhealth.h"
#include "portdialog/frmfaults.h"
#include "tests/support/feedlistener.h"
#include "tests/support/simstation.h"
#include "ui/mainwindow.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace corvale;

namespace {

// The simulator's count of CTD lines sent so far.
int CtdLinesSent(SimProcess& sim) {
    QString state;
    sim.control(QStringLiteral("state"), &state);
    return QRegularExpression(QStringLiteral("ctd-lines=(\\d+)")).match(state).captured(1).toInt();
}

// A chart line broken by a gap: a NaN point with real points on both sides.
bool HasGap(const StripChart& chart) {
    bool before = false, gap = false;
    for (int i = 0; i < chart.pointCount(); ++i) {
        const bool nan = std::isnan(chart.point(i).y());
        if (nan && before)
            gap = true;
        else if (!nan && gap)
            return true;
        before = before || !nan;
    }
    return false;
}

int Seconds(const QByteArray& hms) { // "h:m:s"
    const QList<QByteArray> f = QByteArray(hms).replace('"', "").split(':');
    return f.size() == 3 ? f[0].toInt() * 3600 + f[1].toInt() * 60 + f[2].toInt() : -1;
}

TEST(ReconnectOnFlume, UnpluggedLinesComeBackByThemselvesWithTheGapShownNeverFilled) {
    SimStation st;
    // The CTD starts quiet, so that every line the simulator sends is one
    // the station reads and archives.
    ASSERT_TRUE(st.start({QStringLiteral("--ctd-rate"), QStringLiteral("0")}, true))
        << st.errorText().toStdString();
    frmMain* main = st.main.get();
    SimProcess& sim = st.sim;
    RecordingOperator& op = st.op;
    const auto boxes = [&] { return st.messages(); };

    // The operator turns reconnect on in the Faults window.
    main->mnuFaults->trigger();
    frmFaults* faults = main->faultsWindow();
    ASSERT_NE(faults, nullptr);
    faults->chkReconnect->setChecked(true);
    QTest::mouseClick(faults->cmdSave, Qt::LeftButton);
    faults->close();
    ASSERT_TRUE(LoadFaultSettings().reconnect);

    ASSERT_TRUE(st.openBus()) << boxes();
    main->cwCTDflag->click();
    ASSERT_TRUE(st.ctd->isOpen()) << boxes();
    main->cwPlot->click();
    main->cwCTDplot->click();
    FeedListener listener;
    ASSERT_TRUE(listener.bound());
    main->mnuFeed->trigger();
    auto* feedWindow = main->findChild<frmFeed*>(QStringLiteral("frmFeed"));
    ASSERT_NE(feedWindow, nullptr);
    feedWindow->chkFeedOn->setChecked(true);
    feedWindow->txtFeedAddress->setText(QStringLiteral("127.0.0.1"));
    feedWindow->spnFeedPort->setValue(listener.port());
    QTest::mouseClick(feedWindow->cmdFeedSave, Qt::LeftButton);
    feedWindow->close();

    // Logging every half second with the raw archive.
    QTemporaryDir logDir;
    const QString path = logDir.filePath(QStringLiteral("night.log"));
    op.fileAnswers.push_back(path);
    ASSERT_TRUE(StartLogging(*main, true));
    ASSERT_EQ(main->tmrlogger.interval(), 500);
    int ticks = 0;
    QObject::connect(&main->tmrlogger, &StationTimer::ticked, [&] { ++ticks; });
    const LinkHealth& health = main->linkHealth();
    ASSERT_TRUE(sim.control(QStringLiteral("ctd-rate 10")));
    ASSERT_TRUE(WaitUntil([&] { return health.ctdRecords() >= 10 && ticks >= 3; }, 8000));

    // Every record sent before the unplug is in before the line goes, and
    // none is sent until the station has the line again: what was sent is
    // exactly what was sent outside the outage.
    ASSERT_TRUE(sim.control(QStringLiteral("ctd-rate 0")));
    ASSERT_TRUE(WaitUntil([&] { return health.ctdRecords() == CtdLinesSent(sim); }, 3000));
    ASSERT_TRUE(sim.control(QStringLiteral("unplug dgh 5")));
    ASSERT_TRUE(sim.control(QStringLiteral("unplug ctd 5")));
    QElapsedTimer unplugged;
    unplugged.start();

    BusSession& bus = main->bus();
    ASSERT_TRUE(
        WaitUntil([&] { return bus.state() == BusSession::State::Down && health.ctdDown(); }, 3000))
        << boxes();
    // Said once, without a box: panel 4 for the bus, panel 5 for both.
    EXPECT_TRUE(op.messages.isEmpty()) << boxes();
    EXPECT_TRUE(main->StatusBar1->panelText(4).startsWith(QStringLiteral("Comm port down: ")))
        << main->StatusBar1->panelText(4).toStdString();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return main->StatusBar1->panelText(5).contains(
                QStringLiteral("CTD down: The CTD port COM5 was lost"));
        },
        2000))
        << main->StatusBar1->panelText(5).toStdString();
    EXPECT_TRUE(main->cwCTDflag->value()) << "the line stays switched on";
    EXPECT_FALSE(main->Timer1.isTicking());

    QList<BusExchange> wire;
    QObject::connect(&bus, &BusSession::exchanged, main,
                     [&wire](const BusExchange& x) { wire << x; });
    // Watched without holding the station's event loop.
    const auto cameBack = [&](const char* line) {
        return WaitUntil([&] { return sim.waitForLine(QLatin1String(line), 0); }, 8000);
    };
    ASSERT_TRUE(cameBack("back dgh"));
    QElapsedTimer back;
    back.start();
    EXPECT_GE(unplugged.elapsed(), 4500);
    // The poll runs again within 3 s of the device's return.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return bus.state() == BusSession::State::Running && main->Timer1.isTicking() &&
                   std::count_if(wire.cbegin(), wire.cend(), [](const BusExchange& x) {
                       return x.line == "$9DI\r" && x.valid();
                   }) >= 2;
        },
        3000))
        << boxes();
    EXPECT_LE(back.elapsed(), 3000);
    ASSERT_TRUE(cameBack("back ctd"));
    ASSERT_TRUE(WaitUntil([&] { return !health.ctdDown() && st.ctd->isOpen(); }, 3000));
    const int before = health.ctdRecords();
    ASSERT_TRUE(sim.control(QStringLiteral("ctd-rate 10")));
    ASSERT_TRUE(WaitUntil([&] { return health.ctdRecords() >= before + 10; }, 5000))
        << "CTD records flow again";
    ASSERT_TRUE(sim.control(QStringLiteral("ctd-rate 0")));
    ASSERT_TRUE(WaitUntil([&] { return health.ctdRecords() == CtdLinesSent(sim); }, 3000));
    main->stopLogging();
    EXPECT_TRUE(op.messages.isEmpty()) << boxes();

    // The log: a whole record for every tick, the outage included.
    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    ASSERT_EQ(lines.size(), 24 + ticks);
    int last = -1;
    for (qsizetype i = 24; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        const QList<QByteArray> items = line.split(',');
        ASSERT_EQ(items.size(), 12) << lines[i].constData();
        const int t = Seconds(items[0]);
        if (last >= 0) {
            EXPECT_LE(t - last, 2) << "no stretch is missing: " << line.constData();
        }
        last = t;
    }

    // The archive: the gap named at both ends, and every record sent.
    QString error;
    const QList<ArchiveEvent> events = ArchiveReader::readAll(path + ".raw.csv", &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    QList<QByteArray> links;
    int records = 0;
    for (const ArchiveEvent& e : events) {
        if (e.source == ArchiveEvent::Source::Link)
            links << e.command + ' ' + e.data.left(4);
        else if (e.source == ArchiveEvent::Source::Ctd && e.status == CtdLineStatus::Ok)
            ++records;
    }
    EXPECT_EQ(links.size(), 4);
    for (const char* link : {"DOWN DGH,", "UP DGH,", "DOWN CTD,", "UP CTD,"})
        EXPECT_TRUE(links.contains(link)) << link;
    EXPECT_EQ(records, CtdLinesSent(sim));

    // The feed told each change once; the charts break across the gap.
    const QStringList sentences = listener.sentences();
    EXPECT_EQ(sentences.filter(QStringLiteral("$CVLNK,")).size(), 4);
    EXPECT_EQ(sentences
                  .filter(QRegularExpression(
                      QStringLiteral("^\\$CVLNK,[^,]*,CTD,DOWN,The CTD port COM5 was lost")))
                  .size(),
              1);
    EXPECT_TRUE(HasGap(*main->CWGraph1));
    EXPECT_TRUE(HasGap(*main->CWGraph2));

    // Link Health lists both outages, each with its end and length.
    main->mnuHealth->trigger();
    ASSERT_NE(main->healthWindow(), nullptr);
    auto* table = main->healthWindow()->findChild<QTableWidget*>(QStringLiteral("healthOutages"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 2);
    for (int r = 0; r < 2; ++r) {
        EXPECT_NE(table->item(r, 2)->text(), QStringLiteral("still down"));
        EXPECT_TRUE(table->item(r, 3)->text().endsWith(QStringLiteral(" s")));
        EXPECT_FALSE(table->item(r, 4)->text().isEmpty());
    }
    EXPECT_TRUE(main->healthWindow()
                    ->findChild<QLabel*>(QStringLiteral("healthReconnect"))
                    ->text()
                    .startsWith(QStringLiteral("on")));
}

} // namespace
