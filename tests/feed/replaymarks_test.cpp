// A replayed archive's marks come back on both charts when the CTD line has
// delivered the lines the archive held before each of them.

#include "logging/rawarchive.h"

#include "tests/support/mainwindow_fixture.h"
#include "ui/widgets/stripchart.h"
#include "ui/widgets/togglebutton.h"
#include <QFile>

using namespace corvale;

TEST_F(StationTest, AReplayedArchivesMarksReturnAmongTheSameRecords) {
    make();
    const QString path = programDir.filePath(QStringLiteral("run.csv.raw.csv"));
    {
        RawArchive archive;
        ASSERT_TRUE(archive.open(path, RawArchive::Mode::Overwrite));
        const QDateTime t = clock.now();
        archive.appendCtdLine(t, "44.1,12.0,10.0", CtdLineStatus::Ok);
        archive.appendMark(t, 1, QStringLiteral("start"));
        archive.appendCtdLine(t, "44.2,12.0,10.0", CtdLineStatus::Ok);
        archive.appendCtdLine(t, "garbage", CtdLineStatus::Malformed);
        archive.appendMark(t, 2, QStringLiteral("wave run 3"));
        archive.close();
    }
    QString error;
    ASSERT_TRUE(main->replayMarksFrom(path, &error)) << error.toStdString();
    EXPECT_FALSE(main->replayMarksFrom(programDir.filePath("none.raw.csv")));
    main->cwCTDflag->setValue(true);
    ctd.deliver("44.1,12.0,10.0\n");
    ASSERT_EQ(main->CWGraph1->marks().size(), 1);
    EXPECT_EQ(main->CWGraph2->marks().size(), 1);
    ctd.deliver("44.2,12.0,10.0\n");
    EXPECT_EQ(main->CWGraph1->marks().size(), 1);
    ctd.deliver("garbage\n");
    ASSERT_EQ(main->CWGraph1->marks().size(), 2);
    EXPECT_EQ(main->CWGraph2->marks().size(), 2);
}

TEST_F(StationTest, ADamagedArchivesMarksStillReturnAndItsSkippedLinesAreNamedOnce) {
    make();
    const QString path = programDir.filePath(QStringLiteral("run.csv.raw.csv"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("time,source,kind,data\n"
                "2026-12-08T14:07:09.000+01:00,CTD,OK,44.1,12.0,10.0\n"
                "2026-12-08T14:07:09.010+01:00,MARK,1,start\n"
                "2O26-12-08T14:07:09.020+01:00,MARK,9,a year that is no number\n"
                "2026-12-08T14:07:09.030+01:00,CTD,OK,44.2,12.0,10.0\n"
                "2026-12-08T14:07:09.040+01:00,MARK,2\0junk,after a NUL\n",
                285);
    }
    ASSERT_TRUE(main->replayMarksFrom(path));
    EXPECT_TRUE(main->replayMarksScanned()); // a short archive is read at once
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text,
              QStringLiteral("Marks of %1: Skipped 2 damaged lines (lines 4 and 6).").arg(path));
    main->cwCTDflag->setValue(true);
    ctd.deliver("44.1,12.0,10.0\n");
    ctd.deliver("44.2,12.0,10.0\n");
    ASSERT_EQ(main->CWGraph1->marks().size(), 1);
    EXPECT_EQ(main->CWGraph1->marks()[0].label, QStringLiteral("1 start"));
}
