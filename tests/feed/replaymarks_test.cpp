// A replayed archive's marks come back on both charts when the CTD line has
// delivered the lines the archive held before each of them.

#include "archive/rawarchive.h"
#include "feed/eventmarks.h"
#include "feed/frmfeed.h"
#include "feed/frmmark.h"
#include "feed/sentences.h"
#include "feed/shipfeed.h"
#include "tests/support/feedlistener.h"

#include "tests/support/mainwindow_fixture.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"
#include <QFile>

#include <QCheckBox>
#include <QSettings>
#include <cmath>

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

TEST_F(StationTest, AReplayIsFlaggedAndTheFeedSendsItOnlyWhenLetOutMarkedAndAtRecordedTimes) {
    QTemporaryDir store;
    ASSERT_TRUE(store.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    FeedListener listener;
    ASSERT_TRUE(listener.bound());
    SaveFeedSettings({true, QStringLiteral("127.0.0.1"), int(listener.port())});

    const QString path = programDir.filePath(QStringLiteral("old.csv.raw.csv"));
    const QDateTime t0(QDate(2026, 1, 5), QTime(10, 0));
    {
        RawArchive archive;
        ASSERT_TRUE(archive.open(path, RawArchive::Mode::Overwrite));
        archive.appendCtdLine(t0, "44.1,12.0,10.0", CtdLineStatus::Ok);
        archive.appendCtdLine(t0.addMSecs(1000), "44.2,12.0,10.0", CtdLineStatus::Ok);
        archive.appendMark(t0.addMSecs(1500), 1, QStringLiteral("wave run 3"));
        archive.appendCtdLine(t0.addMSecs(2000), "44.3,12.0,10.0", CtdLineStatus::Ok);
        archive.close();
    }
    make();
    ASSERT_TRUE(main->feed().enabled()) << "stored on";
    ASSERT_TRUE(main->startReplay(path));
    EXPECT_TRUE(main->windowTitle().contains(QStringLiteral("Replay of old.csv.raw.csv")));
    ASSERT_EQ(main->StatusBar1->panelCount(), 6);
    EXPECT_EQ(main->StatusBar1->panelText(6), QStringLiteral("Replay: starts with Enable CTD"));
    EXPECT_FALSE(main->feed().enabled()) << "off during a replay";
    EXPECT_EQ(main->feed().statusText(), QStringLiteral("Feed: off during the replay"));

    main->cwCTDflag->setValue(true);
    ctd.deliver("44.1,12.0,10.0\n");
    EXPECT_EQ(main->StatusBar1->panelText(6), QStringLiteral("Replay: line 1 of 3"));

    // The operator lets this run's replay out in the feed window.
    main->showFeed();
    auto* window = find<frmFeed>("frmFeed");
    ASSERT_TRUE(window);
    ASSERT_TRUE(window->chkFeedReplay->isVisible());
    window->chkFeedReplay->click();
    ASSERT_TRUE(main->feed().enabled());

    ctd.deliver("44.2,12.0,10.0\n");
    ctd.deliver("44.3,12.0,10.0\n");
    main->markEvent(); // a mark made now goes out at the session's time
    static_cast<QDialog*>(main->marks().dialog())->accept();
    EXPECT_EQ(main->StatusBar1->panelText(6), QStringLiteral("Replay ended (3 lines)"));

    const QStringList got = listener.take(4);
    ASSERT_EQ(got.size(), 4) << got.join(QString()).toStdString();
    const QStringList names = {kMrkSentence, kCtdSentence, kCtdSentence, kMrkSentence};
    const QDateTime times[] = {t0.addMSecs(1500), t0.addMSecs(1000), t0.addMSecs(2000),
                               t0.addMSecs(2000)};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(got[i].toStdString());
        const auto fields = ParseSentence(got[i]);
        ASSERT_TRUE(fields);
        EXPECT_EQ(fields->first(), names[i]);
        EXPECT_EQ(fields->at(1), SentenceTime(times[i])) << "the recorded time, not the clock's";
        EXPECT_EQ(fields->last(), kReplayField);
    }
    EXPECT_EQ(ParseSentence(got[0])->at(2), QStringLiteral("1"));
}

TEST_F(StationTest, AReplaySaysHowFarItHasComeAndWhenItHasEnded) {
    const QString path = programDir.filePath(QStringLiteral("run1.csv.raw.csv"));
    const QDateTime t0(QDate(2026, 12, 1), QTime(9, 30));
    const int lines = 160;
    {
        RawArchive archive;
        ASSERT_TRUE(archive.open(path, RawArchive::Mode::Overwrite));
        for (int i = 0; i < lines; ++i) {
            const double c = 49 + 3 * std::sin(i / 15.0);
            archive.appendCtdLine(t0.addMSecs(500 * i),
                                  QByteArray::number(c, 'f', 3) + ",14.200,10.02",
                                  CtdLineStatus::Ok);
            if (i == 50 || i == 110)
                archive.appendMark(t0.addMSecs(500 * i + 10), i / 50,
                                   i == 50 ? QStringLiteral("wave run 1") : QStringLiteral("stop"));
        }
        archive.close();
    }
    makeOnBus();
    ASSERT_TRUE(main->startReplay(path));
    main->resize(1280, 800);
    main->show();
    main->cwCTDflag->setValue(true);
    main->cwCTDplot->setValue(true);
    main->cwbPh->setValue(true);
    main->cwPlot->setValue(true);
    for (int i = 0; i < lines; ++i) {
        ctd.deliver(QByteArray::number(49 + 3 * std::sin(i / 15.0), 'f', 3) + ",14.200,10.02\n");
        clock.advance(500);
        main->tmrCTDplot.fire();
        if (i % 2 == 0) {
            // pH near 8 at the recorded temperature, with the start calibration.
            bus.answer("$ARD", "*+0" +
                                   QByteArray::number(2756.57 + 12 * std::sin(i / 11.0), 'f', 2) +
                                   "\r");
            main->Timer1.fire();
            main->tmrRPM.fire();
            main->tmrPlot.fire();
            main->bus().runUntilIdle();
        }
        if (i == 139) {
            EXPECT_EQ(main->StatusBar1->panelText(6), QStringLiteral("Replay: line 140 of 160"));
            QCoreApplication::processEvents();
            if (const QString dir = qEnvironmentVariable("CORVALE_PICTURES"); !dir.isEmpty())
                main->grab().save(dir + QStringLiteral("/mainwindow-replay.png"));
        }
    }
    EXPECT_EQ(main->StatusBar1->panelText(6), QStringLiteral("Replay ended (160 lines)"));
    EXPECT_EQ(main->CWGraph2->marks().size(), 2);
    EXPECT_TRUE(main->windowTitle().endsWith(QStringLiteral("Replay of run1.csv.raw.csv")));
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
