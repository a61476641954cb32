// The review window on a recorded minute: it opens with every record and
// mark, a mark in the list moves the charts to it, the cursor reads the
// archive's values at its time, the keys play, pause and step, and damage
// is counted. The main window's "Review Session..." opens it too.

#include "review/frmreview.h"
#include "review/reviewplot.h"
#include "tests/support/mainwindow_fixture.h"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace corvale;

namespace {

constexpr int kRecords = 24 * 60;
const qint64 kStartMs = QDateTime(QDate(2026, 12, 8), QTime(13, 0, 0), Qt::UTC).toMSecsSinceEpoch();

// Record i at 24 a second: conductivity 40 + i/1000, a mark every 20 s.
QByteArray MinuteArchive(int damagedAt = -1) {
    QByteArray bytes = "time,source,kind,data\n";
    for (int i = 0; i < kRecords; ++i) {
        const QDateTime t =
            QDateTime::fromMSecsSinceEpoch(kStartMs + i * 1000 / 24, Qt::OffsetFromUTC, 3600);
        const QByteArray time = t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toLatin1();
        if (i == damagedAt)
            bytes += "2026-12-08T14:00:0x.000+01:00,CTD,OK,1,2,3\n";
        bytes += time + "+01:00,CTD,OK," + QByteArray::number(40 + i / 1000.0) + ",12.5,10\n";
        if (i > 0 && i % (24 * 20) == 0)
            bytes += time + "+01:00,MARK," + QByteArray::number(i / 480) + ",run " +
                     QByteArray::number(i / 480) + "\n";
    }
    return bytes;
}

struct ReviewTest : ::testing::Test {
    QTemporaryDir dir;
    RecordingOperator op;
    std::unique_ptr<frmReview> review = std::make_unique<frmReview>(op);

    QString write(const QByteArray& bytes, const char* name = "run.csv.raw.csv") {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString status() const {
        return review->findChild<QLabel*>(QStringLiteral("lblReviewStatus"))->text();
    }
};

} // namespace

TEST_F(ReviewTest, ASessionOpensWithEveryRecordAndMark) {
    QString error;
    ASSERT_TRUE(review->open(write(MinuteArchive()), &error)) << error.toStdString();
    review->show();
    EXPECT_EQ(review->session().ctd.size(), std::size_t(kRecords));
    EXPECT_EQ(review->findChild<QListWidget*>(QStringLiteral("lstMarks"))->count(), 2);
    EXPECT_TRUE(status().startsWith(QStringLiteral("run.csv.raw.csv: 1440 CTD records (0 "
                                                   "malformed), 2 marks; no log file")))
        << status().toStdString();
    // The whole minute in view, drawn from a bounded number of points.
    EXPECT_LE(review->plot()->viewFrom(), kStartMs / 1000.0);
    EXPECT_GE(review->plot()->viewTo(), kStartMs / 1000.0 + 59.9);
    review->plot()->replot();
    EXPECT_GT(review->plot()->drawnPoints(), 0);
    EXPECT_LE(review->plot()->drawnPoints(), 4 * kRecords);
    // "Export Picture..." writes the visible charts.
    const QString picture = dir.filePath(QStringLiteral("session.png"));
    op.fileAnswers.push_back(picture);
    review->findChild<QPushButton*>(QStringLiteral("cmdExportPicture"))->click();
    EXPECT_FALSE(QImage(picture).isNull());
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(ReviewTest, AMarkInTheListMovesTheChartsToIt) {
    ASSERT_TRUE(review->open(write(MinuteArchive())));
    review->plot()->setView(kStartMs / 1000.0, kStartMs / 1000.0 + 5); // zoomed in on the start
    auto* list = review->findChild<QListWidget*>(QStringLiteral("lstMarks"));
    EXPECT_TRUE(list->item(1)->text().contains(QStringLiteral("run 2")));
    list->setCurrentRow(1);
    const double mark = (kStartMs + 960 * 1000 / 24) / 1000.0;
    EXPECT_DOUBLE_EQ(review->cursorTime(), mark);
    EXPECT_NEAR(review->plot()->viewFrom(), mark - 2.5, 1e-6);
    EXPECT_NEAR(review->plot()->viewTo(), mark + 2.5, 1e-6);
}

TEST_F(ReviewTest, TheCursorReadsTheArchivesValuesAtItsTime) {
    ASSERT_TRUE(review->open(write(MinuteArchive())));
    // Between record 240 and 241: the readout is record 240's.
    review->setCursorTime((kStartMs + 240 * 1000 / 24 + 20) / 1000.0);
    ASSERT_EQ(review->cursorRow(), std::optional<std::size_t>(240));
    const QString readout = review->findChild<QLabel*>(QStringLiteral("lblReadout"))->text();
    EXPECT_TRUE(readout.startsWith(QStringLiteral("2026-12-08 14:00:10.020 (UTC+01:00)")))
        << readout.toStdString();
    EXPECT_TRUE(readout.contains(QStringLiteral("C 40.24 mS/cm   T 12.5 °C   P 10 dbar")))
        << readout.toStdString();
    // The arrow keys step a record; a click on a chart puts the cursor there.
    QTest::keyClick(review.get(), Qt::Key_Right);
    EXPECT_EQ(review->cursorRow(), std::optional<std::size_t>(241));
    QTest::keyClick(review.get(), Qt::Key_Left);
    QTest::keyClick(review.get(), Qt::Key_Left);
    EXPECT_EQ(review->cursorRow(), std::optional<std::size_t>(239));
}

TEST_F(ReviewTest, PlayAndPauseMoveTheCursor) {
    ASSERT_TRUE(review->open(write(MinuteArchive())));
    review->show();
    const double start = review->cursorTime();
    QTest::keyClick(review.get(), Qt::Key_Space);
    EXPECT_TRUE(review->playing());
    EXPECT_EQ(review->findChild<QPushButton*>(QStringLiteral("cmdPlay"))->text(),
              QStringLiteral("Pause"));
    QTest::qWait(300);
    QTest::keyClick(review.get(), Qt::Key_Space);
    EXPECT_FALSE(review->playing());
    const double paused = review->cursorTime();
    // 60 session seconds a second by default.
    EXPECT_GT(paused - start, 5.0);
    QTest::qWait(150);
    EXPECT_EQ(review->cursorTime(), paused);
}

TEST_F(ReviewTest, ADamagedArchiveOpensWithWhatIsWholeAndSaysWhereItSkipped) {
    QByteArray bytes = MinuteArchive(100);
    bytes.insert(bytes.indexOf('\n', 5000) + 1, "\x01\x02 garbage\n");
    bytes += "2026-12-08T14:01:00.000+01:00,CTD,OK,41,"; // cut by a crash
    ASSERT_TRUE(review->open(write(bytes)));
    EXPECT_EQ(review->session().ctd.size(), std::size_t(kRecords));
    EXPECT_EQ(review->session().damaged, 2);
    EXPECT_TRUE(status().contains(QStringLiteral("Skipped 2 damaged lines (lines 98 and 103).")))
        << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral("The last line is unfinished")));

    QString error;
    EXPECT_FALSE(
        review->open(write("\"Corvale II Logging Program\",#2026-12-08#\r\n", "run.csv"), &error));
    EXPECT_EQ(error.count(QLatin1Char('.')), 1 + error.count(QStringLiteral(".csv")))
        << error.toStdString(); // one sentence
    EXPECT_TRUE(error.contains(QStringLiteral("is not a raw archive")));
}

TEST_F(ReviewTest, AnOutageIsShadedAndNoLineIsDrawnAcrossIt) {
    // The CTD line down from 14:00:10 to 14:00:20: no record between.
    QByteArray bytes;
    for (const QByteArray& line : MinuteArchive().split('\n')) {
        if (line.startsWith("2026-12-08T14:00:1"))
            continue;
        if (line.startsWith("2026-12-08T14:00:20.000+01:00,CTD"))
            bytes += "2026-12-08T14:00:10.000+01:00,LINK,DOWN,CTD,The CTD port COM5 was lost\n"
                     "2026-12-08T14:00:20.000+01:00,LINK,UP,CTD,COM5\n";
        if (!line.isEmpty())
            bytes += line + '\n';
    }
    ASSERT_TRUE(review->open(write(bytes)));
    EXPECT_TRUE(status().contains(QStringLiteral("1 line outage"))) << status().toStdString();
    EXPECT_TRUE(review->session().down(QStringLiteral("CTD"), kStartMs + 15000));
    review->plot()->setView(kStartMs / 1000.0 + 8, kStartMs / 1000.0 + 22);
    review->plot()->replot();
    const auto* data = review->plot()->graph(0)->data().data();
    bool broken = false;
    for (auto it = data->constBegin(); it != data->constEnd(); ++it)
        broken = broken || (std::isnan(it->value) && it->key > kStartMs / 1000.0 + 10 &&
                            it->key < kStartMs / 1000.0 + 20);
    EXPECT_TRUE(broken) << "the conductivity line is drawn across the outage";
}

TEST_F(StationTest, ReviewSessionFollowsTheLoggingItemsAndOpensAWindowWithoutAPort) {
    make();
    auto* logging = main->findChild<QMenu*>(QStringLiteral("mnuLogging"));
    ASSERT_NE(logging, nullptr);
    const QList<QAction*> items = logging->actions();
    ASSERT_GE(items.size(), 4);
    EXPECT_EQ(items.last()->objectName(), QStringLiteral("mnuReview"));
    EXPECT_EQ(items.last()->text(), QStringLiteral("Review Session..."));
    const QString path = programDir.filePath(QStringLiteral("run.csv.raw.csv"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(MinuteArchive());
    }
    op.fileAnswers.push_back(path);
    const QList<QByteArray> written = bus.written;
    items.last()->trigger();
    auto* review = main->findChild<frmReview*>(QStringLiteral("frmReview"));
    ASSERT_NE(review, nullptr);
    EXPECT_TRUE(review->isVisible());
    EXPECT_EQ(review->session().ctd.size(), std::size_t(kRecords));
    EXPECT_FALSE(bus.isOpen());
    EXPECT_FALSE(ctd.isOpen());
    EXPECT_EQ(bus.written, written);
    review->close();
}
