#include "core/stationtimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace corvale;

TEST(StationTimer, TicksOnlyWhenEnabledWithAnInterval) {
    StationTimer t("t");
    EXPECT_FALSE(t.isTicking());
    t.setEnabled(true);
    EXPECT_FALSE(t.isTicking()); // no interval yet
    t.setInterval(500);
    EXPECT_TRUE(t.isTicking()); // an interval starts an enabled timer
    t.setEnabled(false);
    EXPECT_FALSE(t.isTicking());
    EXPECT_EQ(t.interval(), 500); // a disabled timer keeps its interval
    t.setInterval(0);
    t.setEnabled(true);
    EXPECT_FALSE(t.isTicking());
}

TEST(StationTimer, ATickWhileItsHandlerRunsIsDropped) {
    StationTimer t("t");
    int runs = 0;
    bool nested = true;
    t.setHandler([&] {
        ++runs;
        nested = t.fire(); // as if ticking again under a message box
    });
    EXPECT_TRUE(t.fire());
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(nested);
}

TEST(StationTimer, BusTicksWaitWhileAnyMessageIsOpen) {
    StationTimer bus("Timer1", StationTimer::Kind::Bus);
    StationTimer plot("tmrPlot");
    int busRuns = 0, plotRuns = 0;
    bus.setHandler([&] { ++busRuns; });
    plot.setHandler([&] { ++plotRuns; });
    {
        ModalScope box;
        EXPECT_FALSE(bus.fire());
        EXPECT_TRUE(plot.fire());
    }
    EXPECT_TRUE(bus.fire());
    EXPECT_EQ(busRuns, 1);
    EXPECT_EQ(plotRuns, 1);
}

TEST(StationTimer, RealTicksReachTheHandler) {
    StationTimer t("t");
    int runs = 0;
    t.setHandler([&] { ++runs; });
    t.setInterval(10);
    t.setEnabled(true);
    QElapsedTimer e;
    e.start();
    while (runs < 3 && e.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(runs, 3);
}
