#include "core/state.h"
#include "core/textnum.h"

#include "tests/support/localeguard.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

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
    // Rounded to 15 digits the largest doubles would pass the largest double
    // and never read back; they are cut instead.
    const double largest = std::numeric_limits<double>::max();
    EXPECT_EQ(WireNumberText(largest), "1.79769313486231E+308");
    EXPECT_EQ(WireNumberText(-largest), "-1.79769313486231E+308");
    EXPECT_TRUE(WireTextToNumber(WireNumberText(largest)));
    EXPECT_EQ(WireNumberText(1.7976931348623e308), "1.7976931348623E+308");
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

namespace {

struct DateCase {
    const char* text;
    QDateTime expected; // invalid: refused
};

QDateTime At(int y, int m, int d, int h = 0, int min = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

void ExpectDates(const QLocale& locale, const std::vector<DateCase>& cases) {
    LocaleGuard g(locale);
    for (const DateCase& c : cases) {
        const auto got = TextToDate(QString::fromUtf8(c.text));
        if (!c.expected.isValid()) {
            EXPECT_FALSE(got) << locale.name().toStdString() << " \"" << c.text << "\" read as "
                              << got->toString(Qt::ISODate).toStdString();
            continue;
        }
        ASSERT_TRUE(got) << locale.name().toStdString() << " \"" << c.text << "\" refused";
        EXPECT_EQ(*got, c.expected) << locale.name().toStdString() << " \"" << c.text << "\"";
    }
}

} // namespace

TEST(TextToDate, MonthDayYearSetting) {
    ExpectDates(QLocale(QLocale::English, QLocale::UnitedStates),
                {{"2/1/03", At(2003, 2, 1)},
                 {"02/01/2003", At(2003, 2, 1)},
                 {"12/31/99", At(1999, 12, 31)},
                 {"2/29/00", At(2000, 2, 29)},
                 {"2/29/01", {}},
                 {"13/1/03", {}},
                 {"1/2/3", {}},
                 {"1/2/200", {}},
                 {"Saturday, February 1, 2003", At(2003, 2, 1)},
                 {"february 1, 2003", At(2003, 2, 1)},
                 {"Sunday, February 1, 2003", {}},
                 {"2003-02-01", At(2003, 2, 1)},
                 {"2/1/03 2:05:09 PM", At(2003, 2, 1, 14, 5, 9)},
                 {"2/1/2003  2:05 pm", At(2003, 2, 1, 14, 5)},
                 {"2/1/03 12:00:00 AM", At(2003, 2, 1)},
                 {"2/1/03 12:30 PM", At(2003, 2, 1, 12, 30)},
                 {"2/1/03 14:05", At(2003, 2, 1, 14, 5)},
                 {"2/1/03 13:05 PM", {}},
                 {"2/1/03 2:05 XM", {}},
                 {"2/1/03 25:00", {}}});
}

TEST(TextToDate, DayMonthYearSettings) {
    // Two-digit years used to be read month first here.
    ExpectDates(QLocale(QLocale::English, QLocale::UnitedKingdom),
                {{"01/02/03", At(2003, 2, 1)},
                 {"1/2/2003", At(2003, 2, 1)},
                 {"31/12/99", At(1999, 12, 31)},
                 {"29/02/00", At(2000, 2, 29)},
                 {"12/31/99", {}},
                 {"1 February 2003", At(2003, 2, 1)},
                 {"01/02/2003 14:05:09", At(2003, 2, 1, 14, 5, 9)}});
    ExpectDates(QLocale(QLocale::German, QLocale::Germany),
                {{"1.2.03", At(2003, 2, 1)},
                 {"01.02.2003", At(2003, 2, 1)},
                 {"31.12.99", At(1999, 12, 31)},
                 {"01/01/01", At(2001, 1, 1)}, // the store's default reads in any setting
                 {"Samstag, 1. Februar 2003", At(2003, 2, 1)},
                 {"1. Februar 2003", At(2003, 2, 1)},
                 {"01.02.03 14:05:09", At(2003, 2, 1, 14, 5, 9)},
                 {"1.2.2003 9:05", At(2003, 2, 1, 9, 5)},
                 {"01.02.03 2:05 PM", {}},
                 {"32.01.03", {}}});
}

TEST(TextToDate, YearMonthDaySettings) {
    ExpectDates(QLocale(QLocale::Swedish, QLocale::Sweden),
                {{"2003-02-01", At(2003, 2, 1)},
                 {"03-02-01", At(2003, 2, 1)},
                 {"99-12-31", At(1999, 12, 31)},
                 {"2003-2-1 14:05:09", At(2003, 2, 1, 14, 5, 9)},
                 {"1 februari 2003", At(2003, 2, 1)},
                 {"2003-13-01", {}}});
    ExpectDates(QLocale(QLocale::Japanese, QLocale::Japan),
                {{"2003/02/01", At(2003, 2, 1)},
                 {"03/2/1", At(2003, 2, 1)},
                 {"2003\u5e742\u67081\u65e5", At(2003, 2, 1)},
                 {"2003/02/01 14\u664205\u520609\u79d2", At(2003, 2, 1, 14, 5, 9)},
                 {"2003/02/01 14:05", At(2003, 2, 1, 14, 5)}});
}

TEST(TextToDate, ReadsBackWhatTheHeaderWrites) {
    const QDateTime withTime = At(2003, 2, 1, 14, 5, 9);
    const QDateTime dateOnly = At(1999, 12, 31);
    for (const QLocale& l :
         {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German),
          QLocale(QLocale::Swedish), QLocale(QLocale::Japanese), QLocale(QLocale::Korean),
          QLocale(QLocale::Finnish), QLocale(QLocale::Bulgarian), QLocale(QLocale::Hungarian)}) {
        LocaleGuard g(l);
        for (const QDateTime& d : {withTime, dateOnly}) {
            const auto back = TextToDate(DateText(d));
            ASSERT_TRUE(back) << l.name().toStdString() << " " << DateText(d).toStdString();
            EXPECT_EQ(*back, d) << l.name().toStdString() << " " << DateText(d).toStdString();
        }
    }
}

TEST(TextToDate, TwoDigitYearsFallInTheHundredYearsEndingTwentyAhead) {
    EXPECT_EQ(TwoDigitYear(0, 2026), 2000);
    EXPECT_EQ(TwoDigitYear(1, 2026), 2001);
    EXPECT_EQ(TwoDigitYear(46, 2026), 2046);
    EXPECT_EQ(TwoDigitYear(47, 2026), 1947);
    EXPECT_EQ(TwoDigitYear(99, 2026), 1999);
    EXPECT_EQ(TwoDigitYear(30, 2031), 2030);
    EXPECT_EQ(TwoDigitYear(51, 2031), 2051);
    EXPECT_EQ(TwoDigitYear(52, 2031), 1952);
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
