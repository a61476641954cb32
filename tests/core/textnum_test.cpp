#include "core/state.h"
#include "core/textnum.h"

#include "tests/support/localeguard.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace corvale;

TEST(Rounding, TiesGoToTheEvenDigit) {
    EXPECT_DOUBLE_EQ(RoundHalfEven(5.25, 1), 5.2);
    EXPECT_DOUBLE_EQ(RoundHalfEven(5.35, 1), 5.4);
    EXPECT_DOUBLE_EQ(RoundHalfEven(10.04, 1), 10.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(-2.07962, 4), -2.0796);
    EXPECT_DOUBLE_EQ(RoundHalfEven(-3.250615, 4), -3.2506);
    EXPECT_DOUBLE_EQ(RoundHalfEven(16.2162162, 2), 16.22);
    EXPECT_DOUBLE_EQ(RoundHalfEven(0.125, 2), 0.12);
    EXPECT_DOUBLE_EQ(RoundHalfEven(9.995, 2), 10.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(99.5, 0), 100.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(1.5, 0), 2.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(7, 3), 7.0);
}

TEST(NumberText, ShortestFormWithAtMostFifteenDigits) {
    EXPECT_EQ(NumberText(10.0), "10");
    EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(NumberText(123.45), "123.45");
    EXPECT_EQ(NumberText(-2.0796), "-2.0796");
    EXPECT_EQ(NumberText(5400000), "5400000");
    EXPECT_EQ(NumberText(0), "0");
    EXPECT_EQ(NumberText(-0.0), "0");
    EXPECT_EQ(NumberText(0.5), "0.5");
    EXPECT_EQ(NumberText(1e20), "1E+20");
}

TEST(NumberText, RegionalSeparatorForLabelsPeriodForTheWire) {
    LocaleGuard g(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(NumberText(2.5), "2,5");
    EXPECT_EQ(WireNumberText(2.5), "2.5");
    EXPECT_EQ(TextToNumber("4,5427"), 4.5427);
    EXPECT_EQ(WireTextToNumber("4.5427"), 4.5427);
    EXPECT_FALSE(WireTextToNumber("4,5427"));
}

TEST(TextToNumber, AcceptsSurroundingBlanksAndRejectsTheRest) {
    EXPECT_EQ(WireTextToNumber(" 00123.45 "), 123.45);
    EXPECT_EQ(WireTextToNumber("+00020.00"), 20.0);
    EXPECT_EQ(WireTextToNumber("-1.5e2"), -150.0);
    EXPECT_EQ(WireTextToNumber("10.04\r"), 10.04);
    EXPECT_FALSE(WireTextToNumber(""));
    EXPECT_FALSE(WireTextToNumber("abc"));
    EXPECT_FALSE(WireTextToNumber("12abc"));
    EXPECT_FALSE(WireTextToNumber("+-1"));
    EXPECT_FALSE(WireTextToNumber("inf"));
    EXPECT_EQ(TextToNumber("4.50"), 4.5);
    EXPECT_FALSE(TextToNumber("four"));
}

TEST(TextToDate, FollowsTheRegionalDateOrder) {
    const auto d = TextToDate("01/01/01");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->date(), QDate(2001, 1, 1));
    EXPECT_EQ(TextToDate("12/31/1999")->date(), QDate(1999, 12, 31));
    EXPECT_EQ(TextToDate("3/4/98")->date(), QDate(1998, 3, 4));
    EXPECT_FALSE(TextToDate("yesterday"));
    EXPECT_FALSE(TextToDate(""));
}

TEST(DateText, ZeroDateShowsAsMidnight) {
    EXPECT_EQ(DateText(ZeroDate()), "12:00:00 AM");
    EXPECT_EQ(DateText(QDateTime(QDate(2001, 1, 1), QTime(0, 0))), "1/1/01");
}

TEST(Masks, AnalogValue) {
    EXPECT_EQ(FormatAnalogValue("5.5"), "00005.50");
    EXPECT_EQ(FormatAnalogValue("250"), "00250.00");
    EXPECT_EQ(FormatAnalogValue("5000"), "05000.00");
    EXPECT_EQ(FormatAnalogValue("0"), "00000.00");
    EXPECT_EQ(FormatAnalogValue("123456789"), "23456789.00");
}

TEST(Masks, AnalogValueIgnoresTheRegionalSeparator) {
    LocaleGuard g(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(FormatAnalogValue("5.5"), "00005.50");
    EXPECT_EQ(FormatAnalogValue(WireNumberText(12.5)), "00012.50");
}

TEST(Masks, TimesAndFourDecimals) {
    EXPECT_EQ(FormatTimeHMS(QTime(14, 7, 9)), "14:7:9");
    EXPECT_EQ(FormatTimeHMS(QTime(0, 0, 0)), "0:0:0");
    EXPECT_EQ(FormatDayFraction(0.5), "12:00:00");
    EXPECT_EQ(FormatDayFraction(DayFraction(QTime(14, 3, 7))), "14:03:07");
    EXPECT_EQ(FormatFourDecimals(52.12346), "52.1235");
    EXPECT_EQ(FormatFourDecimals(7), "7.");
    EXPECT_EQ(FormatFourDecimals(0.5), "0.5");
    EXPECT_EQ(FormatFourDecimals(-3.25), "-3.25");
    LocaleGuard g(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatFourDecimals(7), "7,");
}
