// A station killed with SIGKILL while logging leaves every record it had
// written whole in the file, and no partial line.

#include "tests/support/helperlines.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace corvale;

namespace {

struct KillResult {
    long long reported = 0;
    QByteArray file;
};

// Runs the helper until it reports `records` written, then kills it.
KillResult RunAndKill(const QString& mode, long long records, int timeoutMs) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("killed.log"));
    QProcess helper;
    helper.start(QStringLiteral(CORVALE_LOGKILL_HELPER), {mode, path});
    EXPECT_TRUE(helper.waitForStarted(5000));

    KillResult result;
    HelperLines said(helper);
    const auto take = [&] {
        said.take([&](const QByteArray& line) {
            if (line.startsWith("record "))
                result.reported = line.mid(7).toLongLong();
        });
    };
    QElapsedTimer waited;
    waited.start();
    while (result.reported < records && helper.state() == QProcess::Running &&
           waited.elapsed() < timeoutMs) {
        helper.waitForReadyRead(200);
        take();
    }
    EXPECT_GE(result.reported, records) << helper.readAllStandardError().constData();
    ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
    helper.waitForFinished(5000);
    take(); // whatever it said before it died was written before it said so
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    result.file = file.readAll();
    return result;
}

// Every line ends in CR LF; after the 24 header lines, record n carries n
// millivolts; every record reported written is there.
void ExpectWholeRecords(const KillResult& run, long long firstValue) {
    const QByteArray& bytes = run.file;
    ASSERT_TRUE(bytes.endsWith("\r\n")) << "partial last line: " << bytes.right(80).constData();
    ASSERT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    ASSERT_EQ(bytes.count('\r'), bytes.count("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    ASSERT_GE(lines.size(), 24);
    const long long records = lines.size() - 24;
    EXPECT_GE(records, run.reported);
    for (long long i = 0; i < records; ++i) {
        const QList<QByteArray> items = lines[24 + i].chopped(1).split(',');
        ASSERT_EQ(items.size(), 12) << lines[24 + i].constData();
        EXPECT_EQ(items[1].toLongLong(), firstValue + i) << lines[24 + i].constData();
    }
}

TEST(LogDurability, KilledWhileWritingRecordsAsFastAsPossibleLeavesNoPartialLine) {
    const KillResult run = RunAndKill(QStringLiteral("loop"), 300, 60000);
    ExpectWholeRecords(run, 1);
}

TEST(LogDurability, KilledStationLoggingAtHalfASecondKeepsEveryRecord) {
    const KillResult run = RunAndKill(QStringLiteral("station"), 4, 30000);
    ExpectWholeRecords(run, 1);
}

} // namespace
