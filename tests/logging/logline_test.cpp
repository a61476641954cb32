#include "core/state.h"
#include "logging/logline.h"

#include "tests/support/localeguard.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace corvale;

TEST(LogLine, ItemsJoinedByCommasWithoutBlanks) {
    EXPECT_EQ(LogLine({}), "");
    EXPECT_EQ(
        LogLine({TextItem("a b"), NumberItem(1.5), DateItem(QDate(2024, 3, 5)), TextItem("")}),
        "\"a b\",1.5,#2024-03-05#,\"\"");
    // Inner quotation marks and commas are written as they are.
    EXPECT_EQ(LogLine({TextItem("say \"hi\", twice")}), "\"say \"hi\", twice\"");
}

TEST(LogLine, NumberItemsAlwaysUseAPeriod) {
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    auto number = [](double v) { return LogItemText(NumberItem(v)); };
    EXPECT_EQ(number(0), "0");
    EXPECT_EQ(number(-0.0), "0");
    EXPECT_EQ(number(7), "7");
    EXPECT_EQ(number(-2.0796), "-2.0796");
    EXPECT_EQ(number(0.5), "0.5");
    EXPECT_EQ(number(-0.25), "-0.25");
    EXPECT_EQ(number(1234567.125), "1234567.125");
    EXPECT_EQ(number(0.1 + 0.2), "0.3");
    EXPECT_EQ(number(0.0001), "0.0001");
    EXPECT_EQ(number(0.00001), "1E-05");
    EXPECT_EQ(number(123456789012345678.0), "1.23456789012346E+17");
}

TEST(LogLine, DateItemsHaveFourDigitYears) {
    EXPECT_EQ(LogItemText(DateItem(QDate(999, 12, 31))), "#0999-12-31#");
    EXPECT_EQ(LogItemText(DateItem(QDate(2001, 1, 1))), "#2001-01-01#");
}

TEST(LogRecordLine, TimeWithoutLeadingZerosAndTheElevenReadings) {
    StationState s;
    EXPECT_EQ(LogRecordLine(s, QTime(0, 0, 0)), "\"0:0:0\",0,0,\"\",\"\",0,0,0,0,\"\",\"\",\"\"");

    s.PhMilliVolts.value = -123.45;
    s.PhValue.value = 7.0123;
    const QDateTime readAt(QDate(2026, 12, 8), QTime(14, 7, 8));
    s.ThrusterRpm.set(1500, readAt);
    s.WaveRpm.set(42.5, readAt);
    s.CtdTemperature.value = 18.5;
    s.CtdConductivity.value = 52.123;
    s.CtdPressure.value = 10;
    s.CtdSalinity.value = 39.892;
    s.ThrusterCurrent.reply = "*+00012.50";
    s.WaveCurrent.reply = "TIMEOUT";
    s.ProfilerCurrent.reply = "?5";
    EXPECT_EQ(LogRecordLine(s, QTime(14, 7, 9)),
              "\"14:7:9\",-123.45,7.0123,\"1500\",\"42.5\",18.5,52.123,10,39.892,"
              "\"*+00012.50\",\"TIMEOUT\",\"?5\"");
    // The speeds are written as their read-outs show them, in the regional
    // form; the other readings with a period.
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(LogRecordLine(s, QTime(14, 7, 9)).contains("7.0123,\"1500\",\"42,5\",18.5,"));
}

TEST(LogHeaderLines, SavedCalibrationInRegionalForm) {
    // The start values are checked byte for byte in the log file tests.
    StationState s;
    s.CalOffset = 2.5777;
    s.CalSlope = 4.5427;
    s.CalSerialNum = "180312";
    s.CalDate = QDateTime(QDate(2001, 1, 1), QTime(0, 0));
    s.LogFileName = "/data/run.log";
    const QStringList lines = LogHeaderLines(s, QDate(2024, 3, 5));
    ASSERT_EQ(lines.size(), 24);
    EXPECT_EQ(
        lines.mid(4, 5),
        (QStringList{"\"pH Probe Offset: 2.5777\"", "\"pH Probe Slope: 4.5427\"",
                     "\"pH Probe Serial Number: 180312\"", "\"pH Probe Calibration Date: 1/1/01\"",
                     "\"Log File: /data/run.log\""}));

    // A calibration date with a time of day carries the long time.
    s.CalDate = QDateTime(QDate(2001, 1, 1), QTime(13, 5, 0));
    EXPECT_EQ(LogHeaderLines(s, QDate(2024, 3, 5))[7],
              "\"pH Probe Calibration Date: 1/1/01 1:05:00 PM\"");
}
