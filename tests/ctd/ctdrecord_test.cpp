#include "core/state.h"
#include "ctd/ctdrecord.h"
#include "ctd/salinity.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

const QDateTime kAt(QDate(2026, 12, 8), QTime(14, 7, 9));

void ExpectReadings(const StationState& s, double c, double t, double p) {
    EXPECT_DOUBLE_EQ(s.CtdConductivity.value, c);
    EXPECT_DOUBLE_EQ(s.CtdTemperature.value, t);
    EXPECT_DOUBLE_EQ(s.CtdPressure.value, p);
    EXPECT_EQ(s.CtdSalinity.value, ComputeSalinity(c, t, p).value());
}

StationState Seeded() {
    StationState s;
    s.CtdConductivity.value = 50;
    s.CtdTemperature.value = 20;
    s.CtdPressure.value = 10;
    s.CtdSalinity.value = 36.714;
    return s;
}

} // namespace

TEST(ParseCtdRecord, RoundsEachFieldAndComputesSalinityFromTheRoundedValues) {
    StationState s;
    EXPECT_TRUE(ParseCtdRecord("52.123,18.5,10.04", s, kAt));
    ExpectReadings(s, 52.123, 18.5, 10);
    EXPECT_EQ(CtdLabelTexts(s), (std::array<QString, 4>{"52.123", "18.5", "10", "39.892"}));

    EXPECT_TRUE(ParseCtdRecord("44.00049,12.0005,5.25", s, kAt));
    ExpectReadings(s, 44, 12, 5.2);
    EXPECT_EQ(CtdLabelTexts(s)[2], "5.2");
}

TEST(ParseCtdRecord, OnlyExactlyThreeFieldsChangeAnything) {
    for (const char* line : {"44.0,12.0", "44.0,12.0,5.0,1", "", "44.0 12.0 5.0", ",,,"}) {
        StationState s = Seeded();
        EXPECT_FALSE(ParseCtdRecord(line, s, kAt)) << line;
        ExpectReadings(s, 50, 20, 10);
    }
}

TEST(ParseCtdRecord, BadFieldKeepsItsReadingWhileSalinityIsRecomputed) {
    StationState s = Seeded();
    EXPECT_TRUE(ParseCtdRecord("abc,12.0,5.0", s, kAt));
    ExpectReadings(s, 50, 12, 5);
    // Each reading taken carries the record's time; the one kept has none
    // yet, and so the salinity worked out from it is no reading either.
    EXPECT_FALSE(s.CtdConductivity.known());
    EXPECT_EQ(s.CtdTemperature.at, kAt);
    EXPECT_EQ(s.CtdPressure.at, kAt);
    EXPECT_FALSE(s.CtdSalinity.known());
    EXPECT_TRUE(ParseCtdRecord("50,12.0,5.0", s, kAt.addSecs(1)));
    EXPECT_EQ(s.CtdSalinity.at, kAt.addSecs(1));

    // Empty fields count as fields and fail alone.
    s = Seeded();
    EXPECT_TRUE(ParseCtdRecord(",,7.5", s, kAt));
    ExpectReadings(s, 50, 20, 7.5);

    // A regional comma is no decimal separator on the wire.
    s = Seeded();
    EXPECT_TRUE(ParseCtdRecord("44.0,1e999,5;0", s, kAt));
    ExpectReadings(s, 44, 20, 10);
}

TEST(ParseCtdRecord, FailedSalinityKeepsThePreviousValue) {
    StationState s = Seeded();
    EXPECT_TRUE(ParseCtdRecord("-3.5,12.0,5.0", s, kAt));
    EXPECT_DOUBLE_EQ(s.CtdConductivity.value, -3.5);
    EXPECT_DOUBLE_EQ(s.CtdTemperature.value, 12);
    EXPECT_DOUBLE_EQ(s.CtdSalinity.value, 36.714);
}

TEST(ParseCtdRecord, AcceptsBlanksAndACarriageReturnAroundNumbers) {
    StationState s;
    EXPECT_TRUE(ParseCtdRecord(" 44.0 ,\t12.0, 5.25\r", s, kAt));
    ExpectReadings(s, 44, 12, 5.2);
}

namespace {

struct Collected {
    QStringList records;
    CtdStream stream{[this](const QString& r) { records << r; }};
};

} // namespace

TEST(CtdStream, EveryLineFeedEndsARecordTrimmedOfBlanksOnly) {
    Collected c;
    c.stream.feed("  44.0,12.0,5.25  \n\n52.1,18.5,10\r\n\t1,2,3 \nrest");
    EXPECT_EQ(c.records, (QStringList{"44.0,12.0,5.25", "", "52.1,18.5,10\r", "\t1,2,3"}));
    EXPECT_EQ(c.stream.CtdLineBuffer(), "rest");
}

TEST(CtdStream, RecordSplitAcrossReadsIsJoined) {
    Collected c;
    // The port closing and reopening between reads leaves the buffer alone.
    for (const char* part : {"52.", "123,18", ".5,10.04", "\n3,4", ",5\n"})
        c.stream.feed(part);
    EXPECT_EQ(c.records, (QStringList{"52.123,18.5,10.04", "3,4,5"}));
    EXPECT_TRUE(c.stream.CtdLineBuffer().isEmpty());
}

TEST(CtdStream, BytesAreReadAsLatin1) {
    Collected c;
    c.stream.feed(QByteArray("\xb5\xff,1,2\n"));
    ASSERT_EQ(c.records.size(), 1);
    EXPECT_EQ(c.records[0], QString::fromLatin1("\xb5\xff,1,2"));
}

TEST(CtdStream, OverlongLineIsDroppedUpToItsLineFeedAndTheStreamGoesOn) {
    Collected c;
    const QByteArray longest(CtdStream::MaxLineLength, '1');
    c.stream.feed(longest + "\n");
    ASSERT_EQ(c.records.size(), 1);
    EXPECT_EQ(c.records[0].size(), CtdStream::MaxLineLength);

    c.records.clear();
    // An endless line whose tail would parse as a record must not be applied.
    c.stream.feed(QByteArray(CtdStream::MaxLineLength + 10, 'x'));
    EXPECT_TRUE(c.stream.dropping());
    EXPECT_LE(c.stream.CtdLineBuffer().size(), CtdStream::MaxLineLength);
    c.stream.feed(",3,4,5\n44.0,12.0,5.0\n");
    EXPECT_EQ(c.records, QStringList{"44.0,12.0,5.0"});
    EXPECT_FALSE(c.stream.dropping());
}

TEST(CtdStream, AppliesRecordsToTheStateAndSignalsLabelRewrites) {
    StationState s = Seeded();
    int rewrites = 0;
    CtdStream stream(
        s, [] { return kAt; }, [&] { ++rewrites; });
    stream.feed("44.0,12.0\n44.0,12.0,5.25\r\n");
    EXPECT_EQ(rewrites, 1);
    ExpectReadings(s, 44, 12, 5.2);
    // A CR LF stream keeps pressure updating.
    stream.feed("44.0,12.0,7.5\r\n");
    EXPECT_EQ(rewrites, 2);
    EXPECT_DOUBLE_EQ(s.CtdPressure.value, 7.5);
}

namespace {

// Records and, beside them, every line as received with its status.
struct Lines : Collected {
    QList<QPair<QByteArray, CtdLineStatus>> lines;
    Lines() {
        stream.setLineHandler([this](const QByteArray& line, CtdLineStatus status) {
            lines.append({line, status});
        });
    }
    // The received bytes put back together from the reported lines.
    QByteArray joined() const {
        QByteArray all;
        for (const auto& [line, status] : lines)
            all += line + (status == CtdLineStatus::Partial ? "" : "\n");
        return all;
    }
};

} // namespace

TEST(CtdStreamLines, EveryLineIsReportedAsReceivedWithWhetherItIsARecord) {
    Lines c;
    const QByteArray input = "  44.0,12.0,5.25  \n\n52.1,18.5,10\r\n44.0,12.0\n4#.0,1,2\n"
                             "1,2,3,4\n\xb5,1,2\n 1 ,\t2, 3\r\n";
    c.stream.feed(input + "rest");
    using S = CtdLineStatus;
    const QList<QPair<QByteArray, CtdLineStatus>> expected = {
        {"  44.0,12.0,5.25  ", S::Ok}, {"", S::Malformed},         {"52.1,18.5,10\r", S::Ok},
        {"44.0,12.0", S::Malformed},   {"4#.0,1,2", S::Malformed}, {"1,2,3,4", S::Malformed},
        {"\xb5,1,2", S::Malformed},    {" 1 ,\t2, 3\r", S::Ok}};
    EXPECT_EQ(c.lines, expected);
    EXPECT_EQ(c.joined(), input);
    // The records go on exactly as without the hook.
    EXPECT_EQ(c.records.size(), 8);
    EXPECT_EQ(c.records[0], "44.0,12.0,5.25");
}

TEST(CtdStreamLines, OverlongLinesAreReportedWholeOrInBoundedPiecesAndAreNoRecord) {
    Lines c;
    const QByteArray justTooLong = QByteArray(CtdStream::MaxLineLength, '1') + ",2,3";
    const QByteArray endless(CtdStream::MaxReportedLength * 2 + 100, 'x');
    const QByteArray input = "1,2,3\n" + justTooLong + "\n" + endless + "\n4,5,6\n";
    // Fed in odd slices, as a port delivers them.
    for (qsizetype at = 0; at < input.size(); at += 777)
        c.stream.feed(input.mid(at, 777));

    EXPECT_EQ(c.records, (QStringList{"1,2,3", "4,5,6"}));
    ASSERT_EQ(c.lines.size(), 6);
    EXPECT_EQ(c.lines[1], qMakePair(justTooLong, CtdLineStatus::Overlong));
    for (int i : {2, 3}) {
        EXPECT_EQ(c.lines[i].second, CtdLineStatus::Partial);
        EXPECT_EQ(c.lines[i].first.size(), CtdStream::MaxReportedLength);
    }
    EXPECT_EQ(c.lines[4], qMakePair(QByteArray(100, 'x'), CtdLineStatus::Overlong));
    EXPECT_EQ(c.joined(), input);
}
