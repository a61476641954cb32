// The raw archive: its line format read back byte for byte, its file rules
// (column names, an unfinished line cut off, append and overwrite), a
// failing disk reported once, and syncing that is not per line.

#include "archive/archivereader.h"
#include "archive/rawarchive.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace corvale;

namespace {

// An hour east of UTC, whatever the machine's zone.
QDateTime At(int ms) {
    return QDateTime(QDate(2026, 12, 8), QTime(14, 7, 9), Qt::OffsetFromUTC, 3600).addMSecs(ms);
}

QByteArray EveryByte() {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    return all;
}

ArchiveEvent Ctd(int ms, const QByteArray& line, CtdLineStatus status) {
    ArchiveEvent e;
    e.time = At(ms);
    e.status = status;
    e.data = line;
    return e;
}

ArchiveEvent Dgh(int ms, const QByteArray& command, const QByteArray& reply) {
    ArchiveEvent e;
    e.time = At(ms);
    e.source = ArchiveEvent::Source::Dgh;
    e.command = command;
    e.data = reply;
    return e;
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

struct RawArchiveFile : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("run.csv.raw.csv"));
};

} // namespace

TEST(RawArchiveFormat, LinesReadAsDocumented) {
    EXPECT_EQ(FormatArchiveLine(Ctd(123, "47.123,14.502,10.04", CtdLineStatus::Ok)),
              "2026-12-08T14:07:09.123+01:00,CTD,OK,47.123,14.502,10.04\n");
    EXPECT_EQ(FormatArchiveLine(Dgh(402, "$1RD\r", "*+00012.34\r")),
              "2026-12-08T14:07:09.402+01:00,DGH,$1RD\\r,*+00012.34\\r\n");
    EXPECT_EQ(FormatArchiveLine(Ctd(5, "a\"b\\c\tz\x7f\xb5", CtdLineStatus::Malformed)),
              "2026-12-08T14:07:09.005+01:00,CTD,MALFORMED,a\\x22b\\\\c\\tz\\x7F\\xB5\n");
    ArchiveEvent mark;
    mark.time = At(1000);
    mark.source = ArchiveEvent::Source::Mark;
    mark.mark = 3;
    mark.data = "wave run 3";
    EXPECT_EQ(FormatArchiveLine(mark), "2026-12-08T14:07:10.000+01:00,MARK,3,wave run 3\n");
    ArchiveEvent down;
    down.time = At(2000);
    down.source = ArchiveEvent::Source::Link;
    down.command = "DOWN";
    down.data = "CTD,The CTD port COM5 was lost: gone, really";
    const QByteArray line = FormatArchiveLine(down);
    EXPECT_EQ(line, "2026-12-08T14:07:11.000+01:00,LINK,DOWN,CTD,The CTD port COM5 was lost: "
                    "gone, really\n");
    EXPECT_EQ(ParseArchiveLine(line), down) << "a reader takes the gap's ends back";
}

TEST(RawArchiveFormat, BrokenLinesAreRejected) {
    for (const char* line :
         {"time,source,kind,data\n", "", "2026-12-08T14:07:09.123,CTD,OK", // too few fields
          "2026-12-08 14:07:09.123,CTD,OK,x", "2026-13-08T14:07:09.123,CTD,OK,x",
          "2026-12-08T14:07:09.123,CTD,FINE,x", "2026-12-08T14:07:09.123,XYZ,OK,x",
          "2026-12-08T14:07:09.123,MARK,three,x", "2026-12-08T14:07:09.123,CTD,OK,bad\\q",
          "2026-12-08T14:07:09.123,CTD,OK,cut\\x4", "2026-12-08T14:07:09.123,CTD,OK,cut\\",
          "2O26-12-08T14:07:09.123,CTD,OK,x", "-026-12-08T14:07:09.123,CTD,OK,x", // no made-up year
          "2026-12-08T14:07:09.123+1:00,CTD,OK,x", "2026-12-08T14:07:09.123+01:00x,CTD,OK,x",
          "2026-12-08T14:07:09.123,MARK,+3,x", "2026-12-08T14:07:09.123,MARK, 3,x",
          "2026-12-08T14:07:09.123,LINK,SIDEWAYS,DGH,x", "2026-12-08T14:07:09.123,LINK,up,DGH,x"})
        EXPECT_FALSE(ParseArchiveLine(line).has_value()) << line;
    // A mark number followed by a NUL and junk.
    EXPECT_FALSE(ParseArchiveLine(QByteArray("2026-12-08T14:07:09.123,MARK,3\0junk,x", 37)));
}

TEST(RawArchiveFormat, TimesWithAndWithoutTheirOffsetNameTheirInstant) {
    const auto utc = [](const char* line, std::optional<int> assumed = std::nullopt) {
        const QByteArray l(line);
        const auto e = ParseArchiveEntry(l.begin(), l.end(), assumed);
        return e ? e->utcMs : -1;
    };
    const qint64 at =
        QDateTime(QDate(2026, 12, 8), QTime(13, 7, 9, 123), Qt::UTC).toMSecsSinceEpoch();
    EXPECT_EQ(utc("2026-12-08T14:07:09.123+01:00,CTD,OK,1,2,3"), at);
    EXPECT_EQ(utc("2026-12-08T08:37:09.123-04:30,CTD,OK,1,2,3"), at);
    EXPECT_EQ(utc("2026-12-08T13:07:09.123Z,CTD,OK,1,2,3"), at);
    EXPECT_EQ(utc("2026-12-08T14:07:09.123,CTD,OK,1,2,3", 3600), at);
    const QByteArray unzoned = "2026-12-08T14:07:09.123,CTD,OK,1,2,3";
    const auto local = ParseArchiveEntry(unzoned.begin(), unzoned.end());
    ASSERT_TRUE(local);
    EXPECT_FALSE(local->zoned);
    EXPECT_EQ(local->utcMs,
              QDateTime(QDate(2026, 12, 8), QTime(14, 7, 9, 123)).toMSecsSinceEpoch());
}

TEST_F(RawArchiveFile, EveryEventReadsBackByteForByteOneLineEach) {
    QList<ArchiveEvent> events = {
        Ctd(0, "47.123,14.502,10.04\r", CtdLineStatus::Ok),
        Ctd(41, EveryByte(), CtdLineStatus::Malformed),
        Ctd(42, "", CtdLineStatus::Malformed),
        Ctd(83, QByteArray(5000, ',') + "\n\r\"", CtdLineStatus::Overlong),
        Ctd(84, QByteArray("\0\0\\x41", 6), CtdLineStatus::Partial),
        Dgh(100, "$1,RD\r\n", QByteArray("xy*+00012.34\r\0", 15)),
        Dgh(136, "$6RD\r", ""),
        Dgh(137, EveryByte(), EveryByte()),
    };
    RawArchive archive;
    ASSERT_TRUE(archive.open(path, RawArchive::Mode::Overwrite));
    for (const ArchiveEvent& e : events)
        ASSERT_TRUE(archive.append(e));
    ASSERT_TRUE(archive.appendMark(At(999), 7, QStringLiteral("Welle, \"Lauf\" 3\nüber")));
    ArchiveEvent mark;
    mark.time = At(999);
    mark.source = ArchiveEvent::Source::Mark;
    mark.mark = 7;
    mark.data = QStringLiteral("Welle, \"Lauf\" 3\nüber").toUtf8();
    events << mark;
    archive.close();

    const QByteArray bytes = ReadFile(path);
    ASSERT_TRUE(bytes.startsWith("time,source,kind,data\n"));
    EXPECT_EQ(bytes.count('\n'), events.size() + 1);
    for (const char c : bytes)
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7e)) << int(c);
    // Every line splits into exactly four fields at its first three commas.
    for (const QByteArray& line : bytes.chopped(1).split('\n').mid(1))
        EXPECT_TRUE(line.mid(30).startsWith("CTD,") || line.mid(30).startsWith("DGH,") ||
                    line.mid(30).startsWith("MARK,"));

    QString error;
    const QList<ArchiveEvent> read = ArchiveReader::readAll(path, &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(read, events);
}

TEST_F(RawArchiveFile, AReaderCountsDamageAndRefusesWhatIsNoArchive) {
    WriteFile(path, "time,source,kind,data\n"
                    "2026-12-08T14:07:09.000+01:00,CTD,OK,1,2,3\n"
                    "garbage\n"
                    "2026-12-08T14:07:09.041,CTD,OK,4,5,6\n"
                    "2X26-12-08T14:07:09.050,MARK,3,x\n"
                    "2026-12-08T14:07:09.083,CTD,OK,7,8");
    ArchiveReader reader;
    ASSERT_TRUE(reader.open(path));
    ArchiveEntry e;
    ASSERT_TRUE(reader.next(e));
    EXPECT_EQ(e.event.data, "1,2,3");
    EXPECT_TRUE(e.zoned);
    EXPECT_EQ(e.lineNumber, 2);
    ASSERT_TRUE(reader.next(e));
    EXPECT_EQ(e.event.data, "4,5,6");
    EXPECT_FALSE(e.zoned);
    EXPECT_FALSE(reader.next(e));
    EXPECT_EQ(reader.damaged(), 2);
    EXPECT_EQ(reader.damagedLines(), (QList<qint64>{3, 5}));
    EXPECT_TRUE(reader.unfinishedTail());
    EXPECT_EQ(reader.unzoned(), 1);
    EXPECT_EQ(reader.damageReport(), QStringLiteral("Skipped 2 damaged lines (lines 3 and 5). The "
                                                    "last line is unfinished and was left out."));

    QString error;
    EXPECT_FALSE(reader.open(dir.filePath(QStringLiteral("missing")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read "))) << qPrintable(error);
    for (const QByteArray& bytes : {QByteArray(), QByteArray("Field(0)= time\r\n1,2,3\r\n"),
                                    QByteArray("\x89PNG\r\n\x1a\n\0\0")}) {
        WriteFile(path, bytes);
        EXPECT_FALSE(reader.open(path, &error));
        EXPECT_TRUE(error.contains(QStringLiteral(" is not a raw archive of the station")))
            << qPrintable(error);
    }
}

TEST_F(RawArchiveFile, AppendCutsAnUnfinishedLineAndOverwriteStartsAfresh) {
    WriteFile(path, "time,source,kind,data\n"
                    "2026-12-08T14:07:09.000,CTD,OK,1,2,3\n"
                    "2026-12-08T14:07:09.041,CTD,OK,4,5");
    RawArchive archive;
    ASSERT_TRUE(archive.open(path));
    ASSERT_TRUE(archive.appendCtdLine(At(50), "9,9,9", CtdLineStatus::Ok));
    archive.close();
    EXPECT_EQ(ReadFile(path).toStdString(), "time,source,kind,data\n"
                                            "2026-12-08T14:07:09.000,CTD,OK,1,2,3\n"
                                            "2026-12-08T14:07:09.050+01:00,CTD,OK,9,9,9\n");

    ASSERT_TRUE(archive.open(path, RawArchive::Mode::Overwrite));
    archive.close();
    EXPECT_EQ(ReadFile(path).toStdString(), "time,source,kind,data\n");

    QString error;
    EXPECT_FALSE(archive.open(dir.filePath(QStringLiteral("no/such/folder/a.raw.csv")),
                              RawArchive::Mode::Append, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot open raw archive "))) << qPrintable(error);
    EXPECT_FALSE(archive.isOpen());
}

TEST(RawArchivePath, IsTheLogNameWithASuffix) {
    EXPECT_EQ(RawArchivePath(QStringLiteral("/data/flume.csv")),
              QStringLiteral("/data/flume.csv.raw.csv"));
    EXPECT_EQ(RawArchivePath(QStringLiteral("run 3")), QStringLiteral("run 3.raw.csv"));
    // Two logs never share an archive, and no archive is its own log.
    EXPECT_NE(RawArchivePath(QStringLiteral("a")), RawArchivePath(QStringLiteral("a.csv")));
    EXPECT_TRUE(RawArchivePath(QString()).isEmpty());
}

TEST(RawArchiveFailure, AFullDiskIsReportedOnceAndClosesTheArchive) {
    RawArchive archive;
    QSignalSpy failed(&archive, &RawArchive::failed);
    ASSERT_TRUE(archive.open(QStringLiteral("/dev/full")));
    EXPECT_FALSE(archive.appendCtdLine(At(0), "1,2,3", CtdLineStatus::Ok));
    EXPECT_FALSE(archive.isOpen());
    EXPECT_FALSE(archive.appendCtdLine(At(41), "1,2,3", CtdLineStatus::Ok));
    EXPECT_FALSE(archive.appendBusExchange(At(50), "$1RD\r", "*+00012.34\r"));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0][0].toString(),
              QStringLiteral("Cannot write to raw archive /dev/full: No space left on device"));
}

TEST_F(RawArchiveFile, SyncsWithinASecondButNotPerLine) {
    RawArchive archive;
    ASSERT_TRUE(archive.open(path));
    QElapsedTimer took;
    took.start();
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(archive.appendCtdLine(At(i), "47.123,14.502,10.04", CtdLineStatus::Ok));
    if (took.elapsed() < RawArchive::kSyncIntervalMs) {
        EXPECT_EQ(archive.syncCount(), 0);
    }
    // The timer syncs what is waiting; nothing waiting, nothing to sync.
    EXPECT_TRUE(QTest::qWaitFor([&] { return archive.syncCount() >= 1; }, 5000));
    QTest::qWait(50);
    const int syncs = archive.syncCount();
    EXPECT_LE(syncs, 2);
    QTest::qWait(RawArchive::kSyncIntervalMs + 200);
    EXPECT_EQ(archive.syncCount(), syncs);
}

TEST_F(RawArchiveFile, AnArchiveThatCannotWriteItsColumnLineLeavesNoFile) {
    // No room for a single byte, as on a full disk (EFBIG instead of ENOSPC).
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit none = old;
    none.rlim_cur = 0;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
    RawArchive archive;
    QString error;
    const bool opened = archive.open(path, RawArchive::Mode::Overwrite, &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(opened);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot open raw archive ") + path))
        << error.toStdString();
    EXPECT_FALSE(QFile::exists(path)) << "no empty file left behind";
}
