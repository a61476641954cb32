// Replay of a raw archive against a clock the test sets: CTD lines at their
// recorded pace, and recorded replies as they stood at each moment.

#include "sim/replay.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvale;

TEST(ReplayPacer, PlacesEventsAtTheirRecordedDistanceWithLongPausesCut) {
    ReplayPacer pacer(1.0, 5000);
    const qint64 t0 = 1'700'000'000'000;
    EXPECT_EQ(pacer.place(t0 + 7), 0);
    EXPECT_EQ(pacer.place(t0 + 48), 41);
    EXPECT_EQ(pacer.place(t0 + 48), 41);
    EXPECT_EQ(pacer.place(t0 + 3'600'048), 5041); // the next session of an appended archive
    EXPECT_EQ(pacer.place(t0 + 3'600'000), 5041); // a clock set back: no pause
    EXPECT_EQ(pacer.place(t0 + 3'600'100), 5141);
}

TEST(ReplayPacer, DueTimesFollowTheSpeedAndAHoldPushesThemBack) {
    ReplayPacer pacer(4.0);
    EXPECT_FALSE(pacer.dueAt(0).has_value()); // not started
    pacer.start(10'000);
    EXPECT_EQ(pacer.dueAt(0), 10'000);
    EXPECT_EQ(pacer.dueAt(1000), 10'250);
    EXPECT_EQ(pacer.dueAt(1001), 10'251); // never early
    EXPECT_EQ(pacer.sessionAt(10'250), 1000);

    pacer.hold(10'100);
    EXPECT_FALSE(pacer.dueAt(1000).has_value());
    EXPECT_EQ(pacer.sessionAt(99'999), 400); // frozen
    pacer.resume(12'100);
    EXPECT_EQ(pacer.dueAt(1000), 12'250);
    EXPECT_EQ(pacer.sessionAt(12'100), 400);
}

namespace {

struct Replay : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("session.raw.csv"));
    ArchiveReplay replay{2.0};

    void SetUp() override {
        // At 2x: events at session 0, 100, 200 ... ms are due 0, 50, 100 ... ms
        // after the start.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("time,source,kind,data\n"
                "2026-12-08T14:07:09.000,CTD,OK,1,2,3\n"
                "2026-12-08T14:07:09.050,DGH,$1RD\\r,*+00012.34\\r\n"
                "2026-12-08T14:07:09.100,CTD,PARTIAL,4,\n"
                "2026-12-08T14:07:09.100,CTD,OVERLONG,5,6\\r\n"
                "2026-12-08T14:07:09.150,DGH,$6RD\\r,\n"
                "2026-12-08T14:07:09.200,MARK,1,wave run 1\n"
                "2026-12-08T14:07:09.300,DGH,$1RD\\r,*+00099.00\\r\n"
                "2026-12-08T14:07:09.400,CTD,MALFORMED,7\\x2C8\n"
                "2026-12-08T14:07:09.4");
        f.close();
        ASSERT_TRUE(replay.open(path));
        replay.start(1000);
    }
};

} // namespace

TEST_F(Replay, CtdLinesComeInOrderAtTheirRecordedPace) {
    EXPECT_EQ(replay.msUntilNext(1000), 0);
    EXPECT_EQ(replay.takeDueCtd(1000), "1,2,3\n");
    EXPECT_EQ(replay.msUntilNext(1000), 25); // the bus reply, consumed silently
    EXPECT_EQ(replay.takeDueCtd(1049), "");
    EXPECT_EQ(replay.msUntilNext(1049), 1);
    EXPECT_EQ(replay.takeDueCtd(1050), "4,5,6\r\n"); // a piece and its end, joined
    EXPECT_EQ(replay.takeDueCtd(1150), "");
    EXPECT_FALSE(replay.finished());
    EXPECT_EQ(replay.takeDueCtd(1500), "7,8\n");
    EXPECT_EQ(replay.ctdSent(), 4);
    EXPECT_TRUE(replay.finished()); // the unfinished last line is no event
    EXPECT_FALSE(replay.msUntilNext(1500).has_value());
}

TEST_F(Replay, ACommandGetsItsLatestRecordedReplyUpToNow) {
    EXPECT_FALSE(replay.replyFor("$1RD\r", 1000).has_value()); // not yet recorded
    EXPECT_EQ(replay.replyFor("$1RD", 1025), "*+00012.34\r");
    EXPECT_EQ(replay.replyFor("$6RD\r", 1100), ""); // recorded silence
    EXPECT_EQ(replay.replyFor("$1RD\r", 1149), "*+00012.34\r");
    EXPECT_EQ(replay.replyFor("$1RD\r", 1150), "*+00099.00\r");
    EXPECT_FALSE(replay.replyFor("$5RD\r", 1150).has_value()); // the model's
    // Lines consumed on the way are still handed out, in order.
    EXPECT_EQ(replay.takeDueCtd(1150), "1,2,3\n4,5,6\r\n");
    // After the end the last replies stay.
    replay.takeDueCtd(99'000);
    EXPECT_EQ(replay.replyFor("$1RD\r", 99'000), "*+00099.00\r");
}

TEST_F(Replay, AHeldSessionSendsNothingAndAnswersAsItStood) {
    EXPECT_EQ(replay.takeDueCtd(1000), "1,2,3\n");
    replay.pacer().hold(1000);
    EXPECT_EQ(replay.takeDueCtd(5000), "");
    EXPECT_FALSE(replay.msUntilNext(5000).has_value());
    EXPECT_FALSE(replay.replyFor("$1RD\r", 5000).has_value());
    replay.pacer().resume(5000);
    EXPECT_EQ(replay.msUntilNext(5000), 25);
    EXPECT_EQ(replay.replyFor("$1RD\r", 5025), "*+00012.34\r");
}
