// The CTD panel and the conductivity chart on the real serial port, fed by
// the flume simulator's CTD line.

#include "core/clock.h"
#include "core/textnum.h"
#include "ctd/salinity.h"
#include "tests/support/fakes.h"
#include "tests/support/simprocess.h"
#include "ui/mainwindow.h"
#include "ui/qtserialport.h"
#include "ui/widgets/stripchart.h"
#include "ui/widgets/togglebutton.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct CtdStation : ::testing::Test {
    PrivateStore store;
    SimProcess sim;
    RealClock clock;
    RecordingOperator op;
    std::unique_ptr<QtSerialPort> dgh;
    std::unique_ptr<QtSerialPort> ctd;
    std::unique_ptr<frmMain> window;

    void start(const QStringList& args) {
        ASSERT_TRUE(store.isValid());
        ASSERT_TRUE(sim.start(args)) << sim.errorText().toStdString();
        store.mapPort(4, sim.dghDevice());
        store.mapPort(5, sim.ctdDevice());
        dgh = std::make_unique<QtSerialPort>(4, QStringLiteral("19200,n,8,1"));
        ctd = std::make_unique<QtSerialPort>(5, QStringLiteral("9600,n,8,1"));
        window = std::make_unique<frmMain>(
            Platform{*dgh, *ctd, clock, op, QCoreApplication::applicationDirPath()});
    }
    void TearDown() override { window.reset(); }

    static bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < timeoutMs)
            QTest::qWait(20);
        return done();
    }

    // Labels and readings agree, and the values are those the simulator's
    // water gives, rounded as the station keeps them.
    void expectConsistentReadings() {
        const StationState& s = window->state();
        EXPECT_EQ(window->lblConduct->text(), NumberText(s.CtdConductivity));
        EXPECT_EQ(window->lblTemp->text(), NumberText(s.CtdTemperature));
        EXPECT_EQ(window->lblPress->text(), NumberText(s.CtdPressure));
        EXPECT_EQ(window->lblSalinity->text(), NumberText(s.CtdSalinity));
        EXPECT_GE(s.CtdConductivity, 40);
        EXPECT_LE(s.CtdConductivity, 56);
        EXPECT_GE(s.CtdTemperature, 8);
        EXPECT_LE(s.CtdTemperature, 20);
        EXPECT_GT(s.CtdPressure, 9);
        EXPECT_LT(s.CtdPressure, 11);
        EXPECT_NEAR(s.CtdPressure * 10, std::round(s.CtdPressure * 10), 1e-9);
        const auto salinity = ComputeSalinity(s.CtdConductivity, s.CtdTemperature, s.CtdPressure);
        ASSERT_TRUE(salinity.has_value());
        EXPECT_DOUBLE_EQ(s.CtdSalinity, *salinity);
    }
};

} // namespace

TEST_F(CtdStation, SwitchedOnTheStreamFillsTheFourLabelsAndTheConductivityChart) {
    start({QStringLiteral("--ctd-rate"), QStringLiteral("20")});
    window->cwCTDflag->click();
    ASSERT_TRUE(ctd->isOpen()) << op.texts().join(" | ").toStdString();
    window->cwCTDplot->click();

    ASSERT_TRUE(waitFor([&] {
        return window->lblSalinity->text() != QStringLiteral("0") &&
               window->lblPress->text() != QStringLiteral("0");
    }));
    ASSERT_TRUE(waitFor([&] { return window->CWGraph2->pointCount() >= 2; }));
    expectConsistentReadings();
    const QPointF last = window->CWGraph2->point(window->CWGraph2->pointCount() - 1);
    EXPECT_GE(last.y(), 40);
    EXPECT_LE(last.y(), 56);
    EXPECT_EQ(window->CWGraph1->pointCount(), 0);

    window->cwCTDflag->click();
    EXPECT_FALSE(ctd->isOpen());
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join(" | ").toStdString();
}

TEST_F(CtdStation, LinesEndedByCarriageReturnAndLineFeedStillUpdatePressure) {
    start({QStringLiteral("--ctd-rate"), QStringLiteral("20"), QStringLiteral("--ctd-crlf")});
    window->cwCTDflag->click();
    ASSERT_TRUE(ctd->isOpen()) << op.texts().join(" | ").toStdString();
    ASSERT_TRUE(waitFor([&] { return window->state().CtdPressure > 0; }));
    expectConsistentReadings();
}

TEST_F(CtdStation, AMissingCtdDeviceIsReportedAndTheToggleGoesBackOff) {
    start({});
    store.mapPort(5, QStringLiteral("/dev/corvale-no-such-ctd"));
    window->cwCTDflag->click();
    EXPECT_FALSE(window->cwCTDflag->value());
    EXPECT_FALSE(ctd->isOpen());
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.startsWith(QStringLiteral("Cannot open the CTD port COM5: ")));
    EXPECT_TRUE(op.messages[0].text.contains(QStringLiteral("/dev/corvale-no-such-ctd")));
}

TEST_F(CtdStation, AVanishedCtdLineIsReportedAndTheToggleGoesBackOff) {
    start({QStringLiteral("--ctd-rate"), QStringLiteral("20")});
    window->cwCTDflag->click();
    ASSERT_TRUE(ctd->isOpen()) << op.texts().join(" | ").toStdString();
    ASSERT_TRUE(waitFor([&] { return window->state().CtdPressure > 0; }));
    QString answer;
    ASSERT_TRUE(sim.control(QStringLiteral("close ctd"), &answer)) << answer.toStdString();
    ASSERT_TRUE(waitFor([&] { return !window->cwCTDflag->value(); }));
    EXPECT_FALSE(ctd->isOpen());
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.startsWith(QStringLiteral("The CTD port COM5 was lost")))
        << op.messages[0].text.toStdString();
}
