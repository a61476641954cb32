#include "bus/readings.h"
#include "core/textnum.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace corvale;

TEST(DecodeDigitalInputs, TakesTheTwoLowBitsOfTheFourthDigit) {
    EXPECT_EQ(DecodeDigitalInputs("0003"), QStringLiteral("1,1"));
    EXPECT_EQ(DecodeDigitalInputs("0002"), QStringLiteral("1,0"));
    EXPECT_EQ(DecodeDigitalInputs("0001"), QStringLiteral("0,1"));
    EXPECT_EQ(DecodeDigitalInputs("FFFC"), QStringLiteral("0,0"));
    EXPECT_EQ(DecodeDigitalInputs("000B"), QStringLiteral("1,1"));
    // Characters after the fourth digit are not read.
    EXPECT_EQ(DecodeDigitalInputs("0002FFFF"), QStringLiteral("1,0"));
}

TEST(DecodeDigitalInputs, AnUnrecognisedOrMissingDigitReusesThePreviousBits) {
    EXPECT_EQ(DecodeDigitalInputs("3"), QStringLiteral("1,1"));
    EXPECT_EQ(DecodeDigitalInputs("000a"), QStringLiteral("0,0")); // lower case is not a digit
    EXPECT_EQ(DecodeDigitalInputs("12"), QStringLiteral("1,0"));
    EXPECT_EQ(DecodeDigitalInputs("1 x?"), QStringLiteral("0,1"));
}

TEST(DecodeDigitalInputs, EndsQuietlyWithoutARecognisedFirstDigit) {
    EXPECT_FALSE(DecodeDigitalInputs(""));
    EXPECT_FALSE(DecodeDigitalInputs("x001"));
    EXPECT_FALSE(DecodeDigitalInputs("a001"));
    EXPECT_FALSE(DecodeDigitalInputs("+00123.45").has_value()); // a read reply, not inputs
}

TEST(PhFromMillivolts, FollowsTheNernstRelation) {
    EXPECT_DOUBLE_EQ(*PhFromMillivolts(123.45, 2.5, 4.5, 20), -2.0796);
    EXPECT_DOUBLE_EQ(*PhFromMillivolts(0, 2.5, 4.5, 0), -3.2506);
    // At the offset voltage the electrode reads pH 7 whatever the slope.
    EXPECT_DOUBLE_EQ(*PhFromMillivolts(2500, 2.5, 1.3, 12.5), 7);
}

TEST(PhFromMillivolts, RoundsHalfToEvenAtFourDecimals) {
    // Offset chosen so that pH - 7 = (mV/1000 - offset) / 0.000198416 / 1 / 1
    // with T = 1 K (temperature -272.15): the pH lands exactly on a tie.
    const double tieUp = 0.000198416 * 0.00015;   // pH 7.00015 -> 7.0002
    const double tieDown = 0.000198416 * 0.00025; // pH 7.00025 -> 7.0002
    const auto a = PhFromMillivolts(tieUp * 1000, 0, 1, -272.15);
    const auto b = PhFromMillivolts(tieDown * 1000, 0, 1, -272.15);
    ASSERT_TRUE(a && b);
    EXPECT_NEAR(*a, 7.0002, 1e-12);
    EXPECT_NEAR(*b, 7.0002, 1e-12);
}

TEST(PhFromMillivolts, RefusesADivisionThatCannotBeMade) {
    EXPECT_FALSE(PhFromMillivolts(123.45, 2.5, 0, 20));
    EXPECT_FALSE(PhFromMillivolts(123.45, 2.5, 4.5, -273.15));
    EXPECT_FALSE(PhFromMillivolts(123.45, 2.5, 1e-320, 20)); // overflows to infinity
}

TEST(ReplyValueText, SkipsTheMarkerAndTheSignPosition) {
    EXPECT_EQ(SpeedValueText("*+00123.45"), QStringLiteral("00123.45"));
    EXPECT_EQ(SpeedValueText("*-00123.45"), QStringLiteral("00123.45"));
    EXPECT_EQ(SpeedValueText("*+00123.456789"), QStringLiteral("00123.45"));
    EXPECT_EQ(CurrentValueText("*+00012.34"), QStringLiteral("00012.3"));
    EXPECT_EQ(SpeedValueText("*+"), QString());
    EXPECT_EQ(SpeedValueText("*"), QString());
}

TEST(MotorSpeed, ConvertsFrequencyToRpm) {
    EXPECT_EQ(ThrusterRpmValue("00020.00"), 1200);
    EXPECT_DOUBLE_EQ(WaveRpmValue("00020.00").value(), 16.22);
    EXPECT_DOUBLE_EQ(ThrusterRpmValue("00000.01").value(), 0.6);
    // 0.125 Hz x 60 = 7.5; 1.85 Hz x 60 / 74 = 1.5 exactly.
    EXPECT_EQ(WaveRpmValue("00001.85"), 1.5);
}

TEST(MotorSpeed, AFrequencyAbove90000CountsAsZero) {
    EXPECT_EQ(ThrusterRpmValue("90000.00"), 5400000);
    EXPECT_EQ(ThrusterRpmValue("90000.01"), 0);
    EXPECT_EQ(WaveRpmValue("99999.99"), 0);
}

TEST(MotorSpeed, TextThatIsNotANumberGivesNoSpeed) {
    EXPECT_FALSE(ThrusterRpmValue("12x4.00"));
    EXPECT_FALSE(WaveRpmValue("MEOW"));
    EXPECT_FALSE(ThrusterRpmValue(""));
}

TEST(MotorSpeed, ShownInTheRegionalFormFromAReplyWithAPeriod) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto rpm = WaveRpmValue("00020.00"); // the reply keeps its period
    const QString shown = rpm ? NumberText(*rpm) : QString();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(shown, QStringLiteral("16,22"));
}

TEST(MotorPower, ConvertsCurrentRepliesToWatts) {
    EXPECT_DOUBLE_EQ(ThrusterWatts("*+00012.34"), 1.18); // 12.3 / 1000 x 2 x 48 = 1.1808
    EXPECT_DOUBLE_EQ(WaveWatts("*+00100.00"), 9.6);
    EXPECT_DOUBLE_EQ(ProfilerWatts("*+00100.00"), 9.6);
    EXPECT_DOUBLE_EQ(ThrusterWatts("*+01000.00"), 96);
}

TEST(MotorPower, ReadsZeroWhenTheReplyCarriesNoNumber) {
    for (const char* reply : {"TIMEOUT", "", "?01", "*", "*+"}) {
        EXPECT_EQ(ThrusterWatts(reply), 0) << reply;
        EXPECT_EQ(WaveWatts(reply), 0) << reply;
        EXPECT_EQ(ProfilerWatts(reply), 0) << reply;
    }
}

TEST(MotorPower, RoundsHalfToEven) {
    EXPECT_DOUBLE_EQ(WaveWatts("*+0.46875"), 0.04);     // 0.001875 x 24 = 0.045
    EXPECT_DOUBLE_EQ(ProfilerWatts("*+0.15625"), 0.02); // 0.015
    EXPECT_DOUBLE_EQ(ThrusterWatts("*+1.40625"), 0.14); // 0.135
    EXPECT_DOUBLE_EQ(WaveWatts("*+00001.0625"), 0.1);   // value text 00001.0 -> 0.096
}
