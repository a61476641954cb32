// The feed on the loopback address only, with the real settings store in a
// temporary folder. Every wait is bounded.

#include "feed/shipfeed.h"

#include "core/store.h"
#include "feed/sentences.h"
#include "tests/support/feedlistener.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

const QDateTime kAt(QDate(2026, 12, 8), QTime(13, 40, 21));

class ShipFeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(storeDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
    }
    static FeedSettings On(quint16 port) {
        FeedSettings s;
        s.enabled = true;
        s.port = port;
        return s;
    }
    // Sends n sentences, letting the network answer between them.
    static void SendSome(ShipFeed& feed, int n) {
        for (int i = 0; i < n; ++i) {
            feed.send(PowerSentence(kAt.addMSecs(i), Actuator::Thruster, i % 2 == 0));
            QTest::qWait(5);
        }
    }
    QTemporaryDir storeDir;
};

} // namespace

TEST_F(ShipFeedTest, SettingsLiveInTheFeedSectionOfTheStore) {
    const FeedSettings defaults = LoadFeedSettings();
    EXPECT_FALSE(defaults.enabled);
    EXPECT_EQ(defaults.address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(defaults.port, 5600);

    FeedSettings s{true, QStringLiteral("::1"), 6224};
    SaveFeedSettings(s);
    EXPECT_EQ(LoadFeedSettings(), s);
    QFile file(storeDir.path() + QStringLiteral("/Corvale/Corvale.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[Feed]"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("port=6224"))) << text.toStdString();

    {
        CORVALE_STORE(store);
        store.setValue(QStringLiteral("Feed/port"), QStringLiteral("70000"));
    }
    EXPECT_EQ(LoadFeedSettings().port, 5600) << "an unusable port reads as the default";

    ShipFeed feed;
    feed.load();
    EXPECT_TRUE(feed.enabled());
    EXPECT_EQ(feed.statusText(), QStringLiteral("Feed: sending to [::1]:5600"));
}

TEST_F(ShipFeedTest, EachSentenceArrivesAsOneDatagramInOrderWhileOn) {
    FeedListener listener;
    ASSERT_TRUE(listener.bound());
    ShipFeed feed;
    EXPECT_EQ(feed.statusText(), QStringLiteral("Feed: off"));
    feed.send(MarkSentence(kAt, 1, QStringLiteral("while off")));

    feed.setSettings(On(listener.port()));
    QStringList sent;
    for (int i = 0; i < 24; ++i)
        sent << CtdSentence(kAt.addMSecs(i * 41), 45 + i * 0.01, 12.5, 10.02, 34.5);
    sent << BusSentence(kAt.addSecs(1), BusCycleFigures{});
    for (const QString& s : sent)
        feed.send(s);
    EXPECT_EQ(listener.take(25), sent);
    EXPECT_EQ(feed.sentCount(), 25);
    EXPECT_FALSE(feed.failing());
    EXPECT_EQ(feed.statusText(),
              QStringLiteral("Feed: sending to 127.0.0.1:%1").arg(listener.port()));
}

TEST_F(ShipFeedTest, ARefusedPortIsReportedOnceAndClearedWhenSendingWorksAgain) {
    const quint16 port = ClosedLoopbackPort();
    ShipFeed feed;
    feed.setSettings(On(port));
    QSignalSpy spy(&feed, &ShipFeed::statusChanged);
    SendSome(feed, 12);
    ASSERT_TRUE(feed.failing());
    const QString refused =
        QStringLiteral("Feed: cannot send to 127.0.0.1:%1: Connection refused").arg(port);
    EXPECT_EQ(feed.statusText(), refused);
    ASSERT_EQ(spy.count(), 1) << "reported once, not once per sentence";
    EXPECT_EQ(spy[0][0].toString(), refused);
    EXPECT_TRUE(spy[0][1].toBool());
    EXPECT_GE(feed.failedCount(), 5);

    FeedListener listener(port);
    ASSERT_TRUE(listener.bound());
    SendSome(feed, 6);
    EXPECT_FALSE(feed.failing());
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[1][0].toString(), QStringLiteral("Feed: sending to 127.0.0.1:%1").arg(port));
    EXPECT_FALSE(listener.take(3).isEmpty());
}

TEST_F(ShipFeedTest, AnAddressThatIsNoIpAddressIsReportedAndNothingIsSent) {
    ShipFeed feed;
    QSignalSpy spy(&feed, &ShipFeed::statusChanged);
    feed.setSettings(FeedSettings{true, QStringLiteral("ship-gw"), 5600});
    feed.send(MarkSentence(kAt, 1, QStringLiteral("x")));
    feed.send(MarkSentence(kAt, 2, QStringLiteral("y")));
    EXPECT_TRUE(feed.failing());
    EXPECT_EQ(
        feed.statusText(),
        QStringLiteral("Feed: cannot send to ship-gw:5600: \"ship-gw\" is not an IP address"));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(feed.sentCount(), 0);

    feed.setSettings(FeedSettings{});
    EXPECT_FALSE(feed.failing());
    EXPECT_EQ(feed.statusText(), QStringLiteral("Feed: off"));
}
