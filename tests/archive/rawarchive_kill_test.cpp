// An archive whose process is killed with SIGKILL while it writes as fast as
// it can holds only whole lines, and every line written before the kill.

#include "archive/rawarchive.h"
#include "tests/support/helperlines.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace corvale;

TEST(RawArchiveDurability, KilledWhileWritingAtFullRateLeavesOnlyWholeLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("killed.raw.csv"));
    QProcess helper;
    helper.start(QStringLiteral(CORVALE_ARCHIVEKILL_HELPER), {path});
    ASSERT_TRUE(helper.waitForStarted(5000));

    long long written = 0, synced = 0;
    HelperLines said(helper);
    const auto take = [&] {
        said.take([&](const QByteArray& line) {
            if (line.startsWith("line "))
                written = line.mid(5).toLongLong();
            else if (line.startsWith("synced "))
                synced = line.mid(7).toLongLong();
        });
    };
    // Past its first sync, so that synced and unsynced lines are both there.
    QElapsedTimer waited;
    waited.start();
    while ((synced == 0 || written < synced + 100) && helper.state() == QProcess::Running &&
           waited.elapsed() < 30000) {
        helper.waitForReadyRead(200);
        take();
    }
    ASSERT_GT(synced, 0) << helper.readAllStandardError().constData();
    ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
    helper.waitForFinished(5000);
    take();
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.endsWith('\n')) << "partial last line: " << bytes.right(80).constData();
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    ASSERT_EQ(lines[0], "time,source,kind,data");
    const long long events = lines.size() - 1;
    EXPECT_GE(events, written);
    EXPECT_GE(events, synced);
    for (long long i = 1; i <= events; ++i) {
        const auto e = ParseArchiveLine(lines[i]);
        ASSERT_TRUE(e.has_value()) << lines[i].constData();
        ASSERT_EQ(e->data, QByteArray::number(i) + ",\"12.345\"\r,\xb5\x01 10.04");
    }
}
