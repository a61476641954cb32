// On the flume simulator: a module that falls silent and a CTD line that
// stops and vanishes show up as stale and in the link health counters, which
// match what the simulator says it heard and sent.

#include "health/linkhealth.h"
#include "health/stalemarks.h"
#include "tests/support/simstation.h"
#include "widgets/indicatorlamp.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace corvale;

TEST(LinkHealthOnSimulator, SilentModuleAndLostCtdLineShowAsStaleAndAreCounted) {
    SimStation st;
    ASSERT_TRUE(st.start({QStringLiteral("--ctd-rate"), QStringLiteral("10")}))
        << st.errorText().toStdString();
    ASSERT_TRUE(st.openBus()) << st.messages();
    frmMain& w = *st.main;
    LinkHealth& health = w.linkHealth();
    w.cwCTDflag->click();
    w.cwCTDplot->click();
    ASSERT_TRUE(WaitUntil([&] {
        return health.ctdRecords() >= 5 && health.module(QLatin1Char('5')).valid >= 2 &&
               !StaleMarks::ShownStale(w.lblMtrCur) && !StaleMarks::ShownStale(w.lblConduct);
    })) << st.messages();

    // Module 5 (thruster current) falls silent.
    ASSERT_TRUE(st.sim.control(QStringLiteral("silent 5")));
    ASSERT_TRUE(WaitUntil([&] {
        return health.module(QLatin1Char('5')).timeouts >= 2 && StaleMarks::ShownStale(w.lblMtrCur);
    }));
    EXPECT_FALSE(StaleMarks::ShownStale(w.lblThrustRPM));
    EXPECT_FALSE(w.lblStatus[0]->stale());
    EXPECT_TRUE(w.StatusBar1->panelText(5).contains(QStringLiteral("timeout")));

    // The CTD stops sending, then its line vanishes.
    ASSERT_TRUE(st.sim.control(QStringLiteral("ctd-rate 0")));
    ASSERT_TRUE(WaitUntil([&] { return StaleMarks::ShownStale(w.lblConduct); }));
    EXPECT_TRUE(w.StatusBar1->panelText(5).contains(QStringLiteral("CTD stale")));
    const int points = w.CWGraph2->pointCount();
    ASSERT_TRUE(WaitUntil([&] { return w.CWGraph2->pointCount() > points; }));
    EXPECT_TRUE(w.CWGraph2->pointStale(w.CWGraph2->pointCount() - 1));
    const qint64 ctdSent = SimCounter(st.sim, "ctd-lines");
    ASSERT_GT(ctdSent, 0);
    EXPECT_EQ(health.ctdRecords() + health.ctdMalformed(), ctdSent);
    EXPECT_EQ(health.ctdMalformed(), 0);
    ASSERT_TRUE(st.sim.control(QStringLiteral("close ctd")));
    ASSERT_TRUE(WaitUntil([&] { return !w.cwCTDflag->value(); }));
    EXPECT_TRUE(StaleMarks::ShownStale(w.lblConduct));

    // The bus stops; its counters match what the simulator heard and answered.
    w.Timer1.setEnabled(false);
    w.tmrRPM.setEnabled(false);
    ASSERT_TRUE(w.bus().runUntilIdle());
    WaitUntil([] { return false; }, 200); // the last replies land
    const qint64 heard = SimCounter(st.sim, "commands");
    const qint64 answered = SimCounter(st.sim, "answered");
    EXPECT_EQ(health.commandsSent(), heard);
    EXPECT_EQ(health.validReplies(), answered);
    EXPECT_EQ(health.timeouts(), health.module(QLatin1Char('5')).timeouts);
    EXPECT_EQ(health.module(QLatin1Char('5')).sent,
              health.module(QLatin1Char('5')).valid + health.module(QLatin1Char('5')).timeouts);
    EXPECT_EQ(health.invalidReplies(), 0);
}
