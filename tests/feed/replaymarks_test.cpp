// A replayed archive's marks come back on both charts when the CTD line has
// delivered the lines the archive held before each of them.

#include "logging/rawarchive.h"
#include "tests/support/mainwindow_fixture.h"
#include "ui/widgets/stripchart.h"
#include "ui/widgets/togglebutton.h"

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
