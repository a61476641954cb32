// The feed window with the real settings store in a temporary folder, and an
// event mark from its note window to the charts. Loopback only.

#include "core/textnum.h"
#include "feed/frmfeed.h"
#include "feed/frmmark.h"
#include "feed/markbook.h"
#include "feed/sentences.h"
#include "feed/shipfeed.h"
#include "tests/support/feedlistener.h"
#include "widgets/stripchart.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

class FeedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(storeDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
        feed.load();
    }
    QTemporaryDir storeDir;
    ShipFeed feed;
};

} // namespace

TEST_F(FeedWindowTest, ShowsTheStoredSettingsAndSavesWhatTheOperatorEnters) {
    frmFeed window(feed);
    window.show();
    EXPECT_EQ(window.objectName(), QStringLiteral("frmFeed"));
    EXPECT_FALSE(window.isModal());
    EXPECT_FALSE(window.chkFeedOn->isChecked()) << "off by default";
    EXPECT_EQ(window.txtFeedAddress->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(window.spnFeedPort->value(), 5600);
    EXPECT_EQ(window.lblFeedStatus->text(), QStringLiteral("Feed: off"));

    FeedListener listener;
    ASSERT_TRUE(listener.bound());
    QTest::mouseClick(window.chkFeedOn, Qt::LeftButton);
    window.spnFeedPort->setValue(listener.port());
    window.cmdFeedSave->click();
    EXPECT_TRUE(feed.enabled());
    EXPECT_EQ(LoadFeedSettings().port, listener.port());
    EXPECT_TRUE(LoadFeedSettings().enabled);
    const QString sending = QStringLiteral("Feed: sending to 127.0.0.1:%1").arg(listener.port());
    EXPECT_EQ(window.lblFeedStatus->text(), sending);

    feed.send(MarkSentence(QDateTime::currentDateTime(), 1, QStringLiteral("hello")));
    EXPECT_EQ(listener.take(1).size(), 1);

    // An address that is no IP address is named and nothing changes.
    window.txtFeedAddress->setText(QStringLiteral("ship gateway"));
    window.cmdFeedSave->click();
    EXPECT_EQ(window.lblFeedProblem->text(),
              QStringLiteral("Not saved: \"ship gateway\" is not an IP address"));
    EXPECT_EQ(LoadFeedSettings().address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(feed.statusText(), sending);

    // A new run's window shows what was saved.
    ShipFeed nextRun;
    nextRun.load();
    frmFeed again(nextRun);
    EXPECT_TRUE(again.chkFeedOn->isChecked());
    EXPECT_EQ(again.spnFeedPort->value(), listener.port());
}

TEST_F(FeedWindowTest, TheStatusLineFollowsTheFeedWhileTheWindowIsOpen) {
    frmFeed window(feed);
    window.show();
    const quint16 port = ClosedLoopbackPort();
    feed.setSettings(FeedSettings{true, QStringLiteral("127.0.0.1"), port});
    for (int i = 0; i < 6 && !feed.failing(); ++i) {
        feed.send(MarkSentence(QDateTime::currentDateTime(), i, QString()));
        QTest::qWait(5);
    }
    EXPECT_EQ(window.lblFeedStatus->text(),
              QStringLiteral("Feed: cannot send to 127.0.0.1:%1: Connection refused").arg(port));
}

TEST(MarkWindow, AMarkNotedInTheWindowAppearsOnBothChartsAtItsTime) {
    StripChart ph(QStringLiteral("CWGraph1"), QStringLiteral("Time"), QStringLiteral("pH 1"));
    StripChart ctd(QStringLiteral("CWGraph2"), QStringLiteral("Time"), QStringLiteral("Cond"));
    const QDateTime start(QDate(2026, 12, 8), QTime(13, 40, 0));
    for (int i = 0; i < 60; ++i) {
        ph.appendPoint(DayFraction(start.addSecs(i).time()), 8);
        ctd.appendPoint(DayFraction(start.addSecs(i).time()), 45);
    }
    MarkBook book;
    frmMark window;
    QObject::connect(&window, &frmMark::noted, &book, &MarkBook::mark);
    QObject::connect(&book, &MarkBook::marked,
                     [&](const QDateTime& time, int number, const QString& note) {
                         for (StripChart* chart : {&ph, &ctd})
                             chart->addMark(DayFraction(time.time()), MarkLabel(number, note));
                     });

    const QDateTime pressed = start.addSecs(21);
    window.begin(pressed, book.nextNumber());
    EXPECT_EQ(window.objectName(), QStringLiteral("frmMark"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.lblMarkCaption->text(), QStringLiteral("Mark 1 at 13:40:21"));
    QTest::keyClicks(window.txtMarkNote, QStringLiteral("wave run 3"));
    window.begin(pressed.addSecs(5), book.nextNumber()); // asked again: same note, first time
    EXPECT_EQ(window.txtMarkNote->text(), QStringLiteral("wave run 3"));
    QTest::keyClick(window.txtMarkNote, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());

    for (StripChart* chart : {&ph, &ctd}) {
        ASSERT_EQ(chart->marks().size(), 1) << chart->objectName().toStdString();
        EXPECT_DOUBLE_EQ(chart->marks()[0].x, DayFraction(pressed.time()));
        EXPECT_EQ(chart->marks()[0].label, QStringLiteral("1 wave run 3"));
    }

    // Cancel drops the mark; the next one is number 2.
    window.begin(start.addSecs(40), book.nextNumber());
    QTest::keyClicks(window.txtMarkNote, QStringLiteral("never"));
    QTest::keyClick(window.txtMarkNote, Qt::Key_Escape);
    EXPECT_EQ(book.marks().size(), 1);
    window.begin(start.addSecs(50), book.nextNumber());
    EXPECT_EQ(window.lblMarkCaption->text(), QStringLiteral("Mark 2 at 13:40:50"));
    EXPECT_TRUE(window.txtMarkNote->text().isEmpty());
}
