#include "sim/ctdrecordsource.h"
#include "sim/simfaults.h"

#include <gtest/gtest.h>

using namespace corvale;

TEST(SimFaults, SilentAndLateModules) {
    SimFaults f;
    EXPECT_EQ(f.replyDelay('4'), 8);
    EXPECT_EQ(f.apply("silent 4"), "ok silent 4");
    EXPECT_EQ(f.replyDelay('4'), std::nullopt);
    EXPECT_EQ(f.replyDelay('1'), 8);
    EXPECT_EQ(f.apply("unsilent 4"), "ok unsilent 4");
    EXPECT_EQ(f.replyDelay('4'), 8);

    EXPECT_EQ(f.apply("late a"), "ok late a");
    EXPECT_EQ(f.replyDelay('A'), 80);
    EXPECT_EQ(f.apply("late-ms 50"), "ok late-ms 50");
    EXPECT_EQ(f.replyDelay('A'), 50);
    EXPECT_EQ(f.replyDelay('9'), 8);
    EXPECT_EQ(f.apply("late all"), "ok late all");
    EXPECT_EQ(f.replyDelay('9'), 50);
    EXPECT_EQ(f.apply("unlate all"), "ok unlate all");
    EXPECT_EQ(f.replyDelay('A'), 8);

    // Silence wins over lateness.
    f.apply("late 5");
    f.apply("silent 5");
    EXPECT_EQ(f.replyDelay('5'), std::nullopt);
    f.apply("silent all");
    EXPECT_EQ(f.replyDelay('9'), std::nullopt);
    f.apply("unsilent all");
    EXPECT_EQ(f.replyDelay('9'), 8);
}

TEST(SimFaults, DroppedRepliesAreUsedUpOneByOne) {
    SimFaults f;
    EXPECT_EQ(f.apply("drop a 2"), "ok drop a 2");
    EXPECT_FALSE(f.takeDrop('1'));
    EXPECT_TRUE(f.takeDrop('A'));
    EXPECT_TRUE(f.takeDrop('A'));
    EXPECT_FALSE(f.takeDrop('A'));
    f.apply("drop 1 5");
    EXPECT_EQ(f.apply("drop 1 0"), "ok drop 1 0");
    EXPECT_FALSE(f.takeDrop('1'));
    for (const char* bad : {"drop 1", "drop 1 x", "drop 1 -1", "drop ab 1", "drop 1 2 3"})
        EXPECT_TRUE(f.apply(bad).startsWith("error")) << bad;
    EXPECT_TRUE(f.drops.isEmpty());
}

TEST(SimFaults, GarbageGoesBeforeTheMarkerAndParitySetsEveryHighBit) {
    SimFaults f;
    EXPECT_EQ(f.shape("*0003\r"), "*0003\r");
    f.apply("garbage on");
    EXPECT_EQ(f.shape("*0003\r"), "xy*0003\r");
    f.apply("parity on");
    const QByteArray out = f.shape("*\r");
    ASSERT_EQ(out.size(), 4);
    for (const char c : out)
        EXPECT_TRUE(static_cast<unsigned char>(c) & 0x80);
    EXPECT_EQ(static_cast<unsigned char>(out[2]), 170); // "*" with its parity bit
    f.apply("garbage off");
    f.apply("parity off");
    EXPECT_EQ(f.shape("*\r"), "*\r");
}

TEST(SimFaults, BadControlLinesAreRefusedAndChangeNothing) {
    SimFaults f;
    EXPECT_TRUE(f.apply("").startsWith("error"));
    EXPECT_TRUE(f.apply("bogus 1").startsWith("error unknown"));
    EXPECT_TRUE(f.apply("silent").startsWith("error"));
    EXPECT_TRUE(f.apply("silent 45").startsWith("error"));
    EXPECT_TRUE(f.apply("late-ms -1").startsWith("error"));
    EXPECT_TRUE(f.apply("garbage yes").startsWith("error"));
    EXPECT_TRUE(f.apply("ctd-rate 25").startsWith("error"));
    EXPECT_TRUE(f.apply("ctd-rate x").startsWith("error"));
    EXPECT_TRUE(f.apply("ctd-malformed -2").startsWith("error"));
    EXPECT_TRUE(f.silent.isEmpty());
    EXPECT_EQ(f.lateMs, 80);
    EXPECT_FALSE(f.garbage);
    EXPECT_EQ(f.ctdRate, 1.0);
    EXPECT_EQ(f.apply("  ctd-rate   24 "), "ok ctd-rate 24");
    EXPECT_EQ(f.ctdRate, 24.0);
}

namespace {

// The station's reading of a record: three fields that are numbers.
bool ParsesAsARecord(const QByteArray& line, double* c = nullptr, double* t = nullptr,
                     double* p = nullptr) {
    if (!line.endsWith('\n'))
        return false;
    const QList<QByteArray> f = line.chopped(1).split(',');
    if (f.size() != 3)
        return false;
    bool ok[3] = {};
    const double v0 = f[0].toDouble(&ok[0]), v1 = f[1].toDouble(&ok[1]);
    const double v2 = f[2].toDouble(&ok[2]);
    if (c)
        *c = v0, *t = v1, *p = v2;
    return ok[0] && ok[1] && ok[2];
}

} // namespace

TEST(CtdRecordSource, RecordsStayRealisticAndVarySlowly) {
    FlumeModel model;
    CtdRecordSource ctd;
    SimFaults f;
    double lastT = 0, lastC = 0;
    for (int i = 0; i < 4 * 3600; ++i) { // four hours, one record a second
        model.advance(1.0);
        const QByteArray r = ctd.next(model, f);
        double c, t, p;
        ASSERT_TRUE(ParsesAsARecord(r, &c, &t, &p)) << r.constData();
        ASSERT_FALSE(r.contains('\r'));
        EXPECT_GE(c, 44) << "inside the CTD chart's start range";
        EXPECT_LE(c, 56);
        EXPECT_GE(t, 8);
        EXPECT_LE(t, 20);
        EXPECT_NEAR(p, 10, 0.3);
        if (i > 0) {
            EXPECT_LT(std::abs(t - lastT), 0.2);
            EXPECT_LT(std::abs(c - lastC), 0.3);
        }
        lastT = t;
        lastC = c;
    }
    EXPECT_EQ(CtdRecordSource::recordText(52.1234, 18.5, 10.04, false), "52.123,18.500,10.04\n");
    EXPECT_EQ(CtdRecordSource::recordText(52.1234, 18.5, 10.04, true), "52.123,18.500,10.04\r\n");
}

TEST(CtdRecordSource, MalformedRecordsComeEveryNthAndEachFailsTheParse) {
    FlumeModel model;
    CtdRecordSource ctd;
    SimFaults f;
    f.apply("ctd-malformed 3");
    for (int i = 1; i <= 24; ++i) {
        const QByteArray r = ctd.next(model, f);
        EXPECT_TRUE(r.endsWith('\n'));
        EXPECT_EQ(ParsesAsARecord(r), i % 3 != 0) << i << " " << r.constData();
    }
    f.apply("ctd-crlf on");
    f.apply("ctd-malformed 0");
    const QByteArray r = ctd.next(model, f);
    EXPECT_TRUE(r.endsWith("\r\n"));
    EXPECT_EQ(r.count(','), 2);
}
