// The CTD panel and the conductivity chart on the real serial port, fed by
// the flume simulator's CTD line.

#include "core/textnum.h"
#include "ctd/salinity.h"
#include "tests/support/simstation.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QLabel>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

struct CtdStation : ::testing::Test, SimStation {
    void startSim(const QStringList& args) {
        ASSERT_TRUE(start(args)) << errorText().toStdString();
    }

    // Labels and readings agree, and the values are those the simulator's
    // water gives, rounded as the station keeps them.
    void expectConsistentReadings() {
        const StationState& s = main->state();
        EXPECT_EQ(main->lblConduct->text(), NumberText(s.CtdConductivity.value));
        EXPECT_EQ(main->lblTemp->text(), NumberText(s.CtdTemperature.value));
        EXPECT_EQ(main->lblPress->text(), NumberText(s.CtdPressure.value));
        EXPECT_EQ(main->lblSalinity->text(), NumberText(s.CtdSalinity.value));
        EXPECT_GE(s.CtdConductivity.value, 40);
        EXPECT_LE(s.CtdConductivity.value, 56);
        EXPECT_GE(s.CtdTemperature.value, 8);
        EXPECT_LE(s.CtdTemperature.value, 20);
        EXPECT_GT(s.CtdPressure.value, 9);
        EXPECT_LT(s.CtdPressure.value, 11);
        EXPECT_NEAR(s.CtdPressure.value * 10, std::round(s.CtdPressure.value * 10), 1e-9);
        const auto salinity =
            ComputeSalinity(s.CtdConductivity.value, s.CtdTemperature.value, s.CtdPressure.value);
        ASSERT_TRUE(salinity.has_value());
        EXPECT_DOUBLE_EQ(s.CtdSalinity.value, *salinity);
    }
};

} // namespace

TEST_F(CtdStation, SwitchedOnTheStreamFillsTheFourLabelsAndTheConductivityChart) {
    startSim({QStringLiteral("--ctd-rate"), QStringLiteral("20")});
    main->cwCTDflag->click();
    ASSERT_TRUE(ctd->isOpen()) << op.texts().join(" | ").toStdString();
    main->cwCTDplot->click();

    ASSERT_TRUE(WaitUntil([&] {
        return main->lblSalinity->text() != QStringLiteral("0") &&
               main->lblPress->text() != QStringLiteral("0");
    }));
    ASSERT_TRUE(WaitUntil([&] { return main->CWGraph2->pointCount() >= 2; }));
    expectConsistentReadings();
    const QPointF last = main->CWGraph2->point(main->CWGraph2->pointCount() - 1);
    EXPECT_GE(last.y(), 40);
    EXPECT_LE(last.y(), 56);
    EXPECT_EQ(main->CWGraph1->pointCount(), 0);

    main->cwCTDflag->click();
    EXPECT_FALSE(ctd->isOpen());
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join(" | ").toStdString();
}

TEST_F(CtdStation, LinesEndedByCarriageReturnAndLineFeedStillUpdatePressure) {
    startSim({QStringLiteral("--ctd-rate"), QStringLiteral("20"), QStringLiteral("--ctd-crlf")});
    main->cwCTDflag->click();
    ASSERT_TRUE(ctd->isOpen()) << op.texts().join(" | ").toStdString();
    ASSERT_TRUE(WaitUntil([&] { return main->state().CtdPressure.value > 0; }));
    expectConsistentReadings();
}

TEST_F(CtdStation, AMissingCtdDeviceIsReportedAndTheToggleGoesBackOff) {
    startSim({});
    store.mapPort(5, QStringLiteral("/dev/corvale-no-such-ctd"));
    main->cwCTDflag->click();
    EXPECT_FALSE(main->cwCTDflag->value());
    EXPECT_FALSE(ctd->isOpen());
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.startsWith(QStringLiteral("Cannot open the CTD port COM5: ")));
    EXPECT_TRUE(op.messages[0].text.contains(QStringLiteral("/dev/corvale-no-such-ctd")));
}

TEST_F(CtdStation, AVanishedCtdLineIsReportedAndTheToggleGoesBackOff) {
    startSim({QStringLiteral("--ctd-rate"), QStringLiteral("20")});
    main->cwCTDflag->click();
    ASSERT_TRUE(ctd->isOpen()) << op.texts().join(" | ").toStdString();
    ASSERT_TRUE(WaitUntil([&] { return main->state().CtdPressure.value > 0; }));
    QString answer;
    ASSERT_TRUE(sim.control(QStringLiteral("close ctd"), &answer)) << answer.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return !main->cwCTDflag->value(); }));
    EXPECT_FALSE(ctd->isOpen());
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.startsWith(QStringLiteral("The CTD port COM5 was lost")))
        << op.messages[0].text.toStdString();
}
