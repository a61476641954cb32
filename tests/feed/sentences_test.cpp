#include "feed/sentences.h"

#include "core/state.h"
#include "core/textnum.h"
#include "ctd/ctdrecord.h"
#include "tests/support/localeguard.h"

#include <gtest/gtest.h>

using namespace corvale;

namespace {

const QDateTime kAt(QDate(2026, 12, 8), QTime(13, 40, 21, 45));
const QDateTime kBusAt(QDate(2026, 12, 8), QTime(13, 40, 22));
const QDateTime kActAt(QDate(2026, 12, 8), QTime(13, 40, 23, 100));

// Regional settings with a decimal comma must not reach the wire.
struct SentencesTest : ::testing::Test {
    LocaleGuard german{QLocale(QLocale::German, QLocale::Germany)};
};

} // namespace

TEST_F(SentencesTest, ChecksumIsTheXorOfTheTextBetweenDollarAndStar) {
    // A sentence from the NMEA 0183 literature with its known checksum.
    EXPECT_EQ(SentenceChecksum(QStringLiteral("GPGLL,4916.45,N,12311.12,W,225444,A,")), 0x1D);
    EXPECT_EQ(SentenceFrom(QStringLiteral("GPGLL,4916.45,N,12311.12,W,225444,A,")),
              QStringLiteral("$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n"));
    EXPECT_EQ(SentenceFrom(QStringLiteral("A")), QStringLiteral("$A*41\r\n"));
    EXPECT_EQ(SentenceFrom(QString()), QStringLiteral("$*00\r\n"));
}

TEST_F(SentencesTest, EverySentenceHasItsDocumentedFormWithAPeriod) {
    EXPECT_EQ(CtdSentence(kAt, 45.1234, 12.5, 10.02, 34.5678),
              QStringLiteral("$CVCTD,2026-12-08T13:40:21.045,45.1234,12.5,10.02,34.5678*12\r\n"));

    BusCycleFigures r;
    r.thrusterRpm = 1234.5;
    r.waveRpm = 30;
    r.thrusterWatts = 96.12;
    r.waveWatts = 12;
    r.profilerWatts = 0.5;
    r.phMilliVolts = -12.3;
    r.ph = 8.0123;
    r.upAllowed = true;
    r.downAllowed = false;
    EXPECT_EQ(BusSentence(kBusAt, r),
              QStringLiteral("$CVBUS,2026-12-08T13:40:22.000,1234.5,30,96.12,12,0.5,-12.3,8.0123,"
                             "1,0*22\r\n"));
    EXPECT_EQ(BusSentence(kBusAt, BusCycleFigures{}),
              SentenceFrom(QStringLiteral("CVBUS,2026-12-08T13:40:22.000,,,,,,,,,")))
        << "unknown readings leave their fields empty";

    EXPECT_EQ(PowerSentence(kActAt, Actuator::Thruster, true),
              QStringLiteral("$CVACT,2026-12-08T13:40:23.100,THR,POWER,ON*12\r\n"));
    EXPECT_EQ(SpeedSentence(kActAt, Actuator::WaveGenerator, 2.5),
              QStringLiteral("$CVACT,2026-12-08T13:40:23.100,WAV,SPEED,2.5*2C\r\n"));
    EXPECT_EQ(DriveSentence(kActAt, ProfilerDrive::Down),
              QStringLiteral("$CVACT,2026-12-08T13:40:23.100,VP,DRIVE,DOWN*5A\r\n"));
    EXPECT_TRUE(PowerSentence(kActAt, Actuator::Profiler, false).contains(",VP,POWER,OFF*"));
    EXPECT_TRUE(DriveSentence(kActAt, ProfilerDrive::Stop).contains(",VP,DRIVE,STOP*"));

    EXPECT_EQ(LinkSentence(kActAt, QStringLiteral("DGH"), false,
                           QStringLiteral("Port Not open: I/O error, *really*")),
              SentenceFrom(QStringLiteral("CVLNK,2026-12-08T13:40:23.100,DGH,DOWN,Port Not open: "
                                          "I/O error^2C ^2Areally^2A")));
    EXPECT_TRUE(LinkSentence(kActAt, QStringLiteral("CTD"), true, QStringLiteral("back"))
                    .contains(",CTD,UP,back*"));

    EXPECT_EQ(CtdSentence(kAt, qQNaN(), qInf(), 1e-7, 1e20),
              SentenceFrom(QStringLiteral("CVCTD,2026-12-08T13:40:21.045,,,1E-07,1E+20")));
}

TEST_F(SentencesTest, NumbersAreTheStationsWireForm) {
    for (double v : {0.0, -0.0, 0.1, -12.3, 34.56789012345, 1.0 / 3, 123456789012345678.0, 1e-7,
                     1e20, 2.5e-300}) {
        EXPECT_EQ(SentenceNumber(v), WireNumberText(v)) << v;
    }
    EXPECT_EQ(SentenceNumber(qQNaN()), QString());
    EXPECT_EQ(SentenceNumber(-qInf()), QString());
}

TEST_F(SentencesTest, BusReadingsComeFromTheStateAndAnUnknownReadingIsAnEmptyField) {
    StationState s;
    s.ThrusterRpm.set(1234.5, kBusAt);
    s.WaveRpm.set(30, kBusAt);
    s.ThrusterCurrent.watts.set(96.12, kBusAt);
    s.WaveCurrent.watts.value = 0; // a reply without a number: shown as 0, no measurement
    s.PhMilliVolts.set(-12.3, kBusAt);
    s.PhValue.set(8.0123, kBusAt);
    s.UpPermitted = true;
    s.PermitsAt = kBusAt;

    BusCycleFigures r = BusCycleFrom(s);
    EXPECT_EQ(r.thrusterRpm, 1234.5);
    EXPECT_EQ(r.waveRpm, 30);
    EXPECT_EQ(r.thrusterWatts, 96.12);
    EXPECT_FALSE(r.waveWatts) << "the read-out's 0 is not a measurement";
    EXPECT_FALSE(r.profilerWatts);
    EXPECT_FALSE(r.ph) << "no pH while pH reading is off";
    EXPECT_FALSE(r.phMilliVolts);
    EXPECT_EQ(r.upAllowed, true);
    EXPECT_EQ(r.downAllowed, false);

    s.PhReadingEnabled = true;
    s.ProfilerCurrent.watts.set(0, kBusAt); // a real 0 W stays 0
    s.UpPermitted = false;
    EXPECT_EQ(BusSentence(kBusAt, BusCycleFrom(s)),
              SentenceFrom(QStringLiteral(
                  "CVBUS,2026-12-08T13:40:22.000,1234.5,30,96.12,,0,-12.3,8.0123,0,0")));

    // Nothing read yet: speeds, watts, pH and permits all empty, none 0.
    StationState fresh;
    fresh.PhReadingEnabled = true;
    EXPECT_EQ(BusSentence(kBusAt, BusCycleFrom(fresh)),
              SentenceFrom(QStringLiteral("CVBUS,2026-12-08T13:40:22.000,,,,,,,,,")));

    // A CTD field never read is empty; salinity needs all three.
    fresh.CtdConductivity.set(45.25, kAt);
    EXPECT_TRUE(CtdSentence(kAt, fresh).contains(QStringLiteral(",45.25,,,*")));
    fresh.CtdTemperature.value = 3; // a start value worked on, never read
    EXPECT_TRUE(CtdSentence(kAt, fresh).contains(QStringLiteral(",45.25,,,*")));
    EXPECT_TRUE(ParseCtdRecord(QStringLiteral("x,12.5,10"), fresh, kAt));
    EXPECT_TRUE(CtdSentence(kAt, fresh).contains(QStringLiteral(",45.25,12.5,10,")));
}

TEST_F(SentencesTest, ANoteCannotBreakItsSentenceAndReadsBackWhole) {
    const QStringList notes = {
        QStringLiteral("wave run 3, 5 Hz *$ \r\n ok"),
        QStringLiteral("^~!\\ all reserved"),
        QStringLiteral("Wellen 5 \u00b0C, \u00e9t\u00e9 \u6c34"),
        QString(),
    };
    for (const QString& note : notes) {
        const QString line = MarkSentence(kAt, 3, note);
        SCOPED_TRACE(line.toStdString());
        EXPECT_TRUE(line.endsWith(QStringLiteral("\r\n")));
        const QString inner = line.chopped(2);
        EXPECT_FALSE(inner.contains(QLatin1Char('\r')) || inner.contains(QLatin1Char('\n')));
        for (const QChar c : inner)
            EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() <= 0x7E) << "printable ASCII only";
        const auto fields = ParseSentence(line);
        ASSERT_TRUE(fields);
        ASSERT_EQ(fields->size(), 4);
        EXPECT_EQ(fields->at(0), kMrkSentence);
        EXPECT_EQ(fields->at(2), QStringLiteral("3"));
        EXPECT_EQ(UnescapeNoteField(fields->at(3)), note);
    }
    EXPECT_EQ(MarkSentence(QDateTime(QDate(2026, 12, 8), QTime(13, 41, 0, 7)), 3,
                           QStringLiteral("wave run 3, 5 Hz *$ \r\n ok")),
              QStringLiteral(
                  "$CVMRK,2026-12-08T13:41:00.007,3,wave run 3^2C 5 Hz ^2A^24 ^0D^0A ok*3A\r\n"));
    EXPECT_EQ(UnescapeNoteField(QStringLiteral("50^ of ^2")), QStringLiteral("50^ of ^2"));
}

TEST_F(SentencesTest, ParseRefusesDamagedSentences) {
    const QString good = PowerSentence(kActAt, Actuator::Thruster, true);
    ASSERT_TRUE(ParseSentence(good));
    EXPECT_TRUE(ParseSentence(good.chopped(2))) << "without its line end";
    EXPECT_TRUE(ParseSentence(QStringLiteral("$GPGLL,4916.45,N,12311.12,W,225444,A,*1d")));
    QString flipped = good;
    flipped[10] = QLatin1Char('7');
    EXPECT_FALSE(ParseSentence(flipped));
    EXPECT_FALSE(ParseSentence(good.mid(1)));
    EXPECT_FALSE(ParseSentence(QStringLiteral("$CVACT,x*G1\r\n")));
    EXPECT_FALSE(ParseSentence(QStringLiteral("$A*41$A*41")));
    EXPECT_FALSE(ParseSentence(QString()));
}
