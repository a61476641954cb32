#include "bus/dghlink.h"
#include "calibration/calstore.h"
#include "core/state.h"
#include "logging/logfile.h"

#include "tests/support/localeguard.h"
#include <QDir>
#include <QFile>

#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace corvale;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

// Compared as std::string so a mismatch prints as readable escaped text.
#define EXPECT_FILE_BYTES(path, bytes)                                                             \
    EXPECT_EQ(ReadAll(path).toStdString(), QByteArray(bytes).toStdString())

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The calibration as it stands before any save in the run.
StationState StartState(const QString& logFileName) {
    StationState s;
    s.CalSlope = 4.5;
    s.CalOffset = 2.5;
    s.LogFileName = logFileName;
    return s;
}

QByteArray Header(const QByteArray& offset, const QByteArray& slope, const QByteArray& serial,
                  const QByteArray& date, const QString& path) {
    const QByteArray rule = "\"" + QByteArray(64, '=') + "\"\r\n";
    return rule +
           "\"Corvale II Logging Program\",#2024-03-05#\r\n"
           "\"Version: 1.0\"\r\n"
           "\r\n"
           "\"pH Probe Offset: " +
           offset + "\"\r\n\"pH Probe Slope: " + slope +
           "\"\r\n\"pH Probe Serial Number: " + serial +
           "\"\r\n\"pH Probe Calibration Date: " + date + "\"\r\n\"Log File: " + path.toLatin1() +
           "\"\r\n"
           "\r\n"
           "\"Logging string definition (Comma delimited text string)\"\r\n"
           "\"Field(0)= time\"\r\n"
           "\"Field(1) = mV(pH)\"\r\n"
           "\"Field(2) = pH\"\r\n"
           "\"Field(3) = Thruster RPM\"\r\n"
           "\"Field(4) = Wave RPM\"\r\n"
           "\"Field(5) = Temperature\"\r\n"
           "\"Field(6) = CTD conductivity\"\r\n"
           "\"Field(7) = CTD pressure\"\r\n"
           "\"Field(8) = CTD salinity\"\r\n"
           "\"Field(9) = Thruster current\"\r\n"
           "\"Field(10) = Wave generator current\"\r\n"
           "\"Field(11) = Vertical profiler current\"\r\n" +
           rule;
}

const QDate Today(2024, 3, 5);

// Caps the size of files this process may write, so a write is cut short.
struct FileSizeCap {
    explicit FileSizeCap(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = saved;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~FileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
};

class LogFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("run.log");
    LogFile file;
    QString error;
};

} // namespace

TEST_F(LogFileTest, HeaderBeforeAnyCalibrationThenARecordBeforeAnyReading) {
    const StationState s = StartState(path);
    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error)) << error.toStdString();
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    ASSERT_TRUE(WriteLogRecord(file, s, QTime(14, 7, 9), &error));
    // Each line is on disk as soon as it is written, before any close.
    EXPECT_FILE_BYTES(path, Header("2.5", "4.5", "", "12:00:00 AM", path) +
                                "\"14:7:9\",0,0,\"\",\"\",0,0,0,0,\"\",\"\",\"\"\r\n");
    file.close();
    EXPECT_FALSE(file.isOpen());
}

TEST_F(LogFileTest, SerialNumberWithQuotationMarkIsWrittenUnchanged) {
    StationState s = StartState(path);
    s.CalSerialNum = "A\"7";
    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    EXPECT_FILE_BYTES(path, Header("2.5", "4.5", "A\"7", "12:00:00 AM", path));
}

TEST_F(LogFileTest, CommaDecimalLocaleChangesHeaderValuesButNotRecordNumbers) {
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    StationState s = StartState(path);
    s.CtdConductivity.value = 52.123;
    s.PhValue.value = 7.25;
    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    ASSERT_TRUE(WriteLogRecord(file, s, QTime(9, 30, 0), &error));
    EXPECT_FILE_BYTES(path, Header("2,5", "4,5", "", "00:00:00", path) +
                                "\"9:30:0\",0,7.25,\"\",\"\",0,52.123,0,0,\"\",\"\",\"\"\r\n");
}

TEST_F(LogFileTest, AppendKeepsTheOldContentAndAddsAHeaderPerRun) {
    WriteAll(path, "old line\r\nlast line");
    const StationState s = StartState(path);
    ASSERT_TRUE(file.open(path, LogFile::Mode::Append, &error));
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    ASSERT_TRUE(WriteLogRecord(file, s, QTime(0, 0, 1), &error));
    file.close();
    ASSERT_TRUE(file.open(path, LogFile::Mode::Append, &error));
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    const QByteArray record = "\"0:0:1\",0,0,\"\",\"\",0,0,0,0,\"\",\"\",\"\"\r\n";
    const QByteArray header = Header("2.5", "4.5", "", "12:00:00 AM", path);
    EXPECT_FILE_BYTES(path, "old line\r\nlast line" + header + record + header);
}

TEST_F(LogFileTest, OverwriteLeavesOnlyTheNewRun) {
    WriteAll(path, QByteArray(10000, 'x'));
    const StationState s = StartState(path);
    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    EXPECT_FILE_BYTES(path, Header("2.5", "4.5", "", "12:00:00 AM", path));
}

TEST_F(LogFileTest, ReopeningClosesTheOldFileFirst) {
    const QString other = dir.filePath("other.log");
    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(file.open(other, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(file.writeLine("x", &error));
    EXPECT_FILE_BYTES(path, "");
    EXPECT_FILE_BYTES(other, "x\r\n");
    EXPECT_EQ(file.path(), other);
}

TEST_F(LogFileTest, TextOutsideLatin1BecomesAQuestionMark) {
    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(file.writeLine(QString::fromUtf8("25 \xc2\xb5S \xe2\x82\xac"), &error));
    EXPECT_FILE_BYTES(path, "25 \xb5S ?\r\n");
}

TEST_F(LogFileTest, RecordWithNoFileOpenWritesNothingAndSucceeds) {
    const StationState s = StartState(path);
    EXPECT_TRUE(WriteLogRecord(file, s, QTime(1, 2, 3), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(file.writeLine("x", &error));
}

TEST_F(LogFileTest, OpenFailureNamesThePathAndTheReason) {
    const QString missing = dir.filePath("no such folder/run.log");
    EXPECT_FALSE(file.open(missing, LogFile::Mode::Append, &error));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(error, "Cannot open log file " + missing + ": No such file or directory");

    // A folder is no file.
    EXPECT_FALSE(file.open(dir.path(), LogFile::Mode::Overwrite, &error));
    EXPECT_TRUE(error.startsWith("Cannot open log file " + dir.path() + ": "));
}

TEST_F(LogFileTest, FullDeviceIsAFailureWithAReason) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const StationState s = StartState("/dev/full");
    ASSERT_TRUE(file.open("/dev/full", LogFile::Mode::Append, &error)) << error.toStdString();
    EXPECT_FALSE(WriteLogHeader(file, s, Today, &error));
    EXPECT_EQ(error, "Cannot write to log file /dev/full: No space left on device");
    error.clear();
    EXPECT_FALSE(WriteLogRecord(file, s, QTime(1, 2, 3), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(LogFileTest, ShortWriteLeavesNoPartialLine) {
    const StationState s = StartState(path);
    const QByteArray firstLine = "\"" + QByteArray(64, '=') + "\"\r\n";
    ASSERT_TRUE(file.open(path, LogFile::Mode::Append, &error));
    {
        // Room for the first line and part of the second.
        FileSizeCap cap(firstLine.size() + 20);
        EXPECT_FALSE(WriteLogHeader(file, s, Today, &error));
    }
    EXPECT_TRUE(error.startsWith("Cannot write to log file " + path + ": ")) << error.toStdString();
    EXPECT_FILE_BYTES(path, firstLine);
    // Writing goes on from the end of the last whole line.
    ASSERT_TRUE(file.writeLine("next", &error));
    EXPECT_FILE_BYTES(path, firstLine + "next\r\n");
}

// Line noise "?", CR, "xy", CR: the link keeps all from the last marker up to
// the final CR, so the current reply carries a CR of its own.
TEST_F(LogFileTest, ReplyWithALineEndInsideStaysOnTheRecordsOneLine) {
    const QString reply = FrameReply("?\rxy\r");
    ASSERT_EQ(reply, "?\rxy");
    StationState s = StartState(path);
    s.ThrusterCurrent.reply = reply;
    s.WaveCurrent.reply = "*+1\n2";
    s.ProfilerCurrent.reply = "\r\n";
    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(WriteLogRecord(file, s, QTime(14, 7, 9), &error));
    EXPECT_FILE_BYTES(path, "\"14:7:9\",0,0,\"\",\"\",0,0,0,0,\"? xy\",\"*+1 2\",\"  \"\r\n");
}

// The store is a text file a user may edit: a line break in a stored text
// reaches the header through the save step and still gives 24 lines.
TEST_F(LogFileTest, StoredCalibrationTextWithALineBreakKeepsTheHeaderAt24Lines) {
    QTemporaryDir storeDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
    QDir().mkpath(storeDir.filePath("Corvale"));
    WriteAll(storeDir.filePath("Corvale/Corvale.conf"),
             "[CalData]\nserialNum=\"18\\n03\\r12\"\nslope=4.5427\noffset=2.5777\n"
             "txtdate=01/01/01\n");
    const CalTexts texts = LoadCalTexts();
    ASSERT_EQ(texts.serialNum, "18\n03\r12");
    StationState s = StartState(path);
    EXPECT_TRUE(SaveCalibration(texts, s).isEmpty());

    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    EXPECT_FILE_BYTES(path, Header("2.5777", "4.5427", "18 03 12", "1/1/01", path));
    EXPECT_EQ(ReadAll(path).count("\r\n"), 24);
}

// A calibration date typed the day-month-year way, with a time of day, is
// taken as such and written back in the same setting's form.
TEST_F(LogFileTest, CalibrationDateWithATimeFollowsTheRegionalOrder) {
    LocaleGuard british(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QTemporaryDir storeDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
    StationState s = StartState(path);
    const CalTexts texts{"2,5", "4.5", "P7", "05/03/24 09:30"};
    const QStringList problems = SaveCalibration(texts, s);
    ASSERT_EQ(problems.size(), 1) << "only the offset is no number here";
    EXPECT_EQ(s.CalDate, QDateTime(QDate(2024, 3, 5), QTime(9, 30)));
    EXPECT_EQ(LoadCalTexts().date, "05/03/24 09:30") << "stored as typed";

    ASSERT_TRUE(file.open(path, LogFile::Mode::Overwrite, &error));
    ASSERT_TRUE(WriteLogHeader(file, s, Today, &error));
    EXPECT_FILE_BYTES(path, Header("2.5", "4.5", "P7", "05/03/2024 09:30:00", path));
}
