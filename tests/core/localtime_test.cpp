// Local time as the station's clock gives it, across daylight-saving changes,
// with the time zone fixed in the test's environment: the records written on
// both sides of a change carry the local time the system itself gives.

#include "archive/rawarchive.h"
#include "core/clock.h"
#include "core/state.h"
#include "logging/logline.h"

#include <QTimeZone>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace corvale;

namespace {

class FixedZone {
public:
    explicit FixedZone(const char* zone)
        : old_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~FixedZone() {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray old_;
    bool had_;
};

qint64 Utc(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

QByteArray ArchiveTime(const QDateTime& t) {
    ArchiveEvent e;
    e.time = t;
    return FormatArchiveLine(e).left(23);
}

} // namespace

TEST(LocalTime, RecordsAcrossDaylightSavingChangesKeepTheirLocalTimes) {
    FixedZone zone("Europe/Berlin");
    if (!QTimeZone::systemTimeZone().hasTransitions())
        GTEST_SKIP() << "no time-zone data for Europe/Berlin here";
    LocalTimeCache local;
    StationState s;

    // Spring: at 01:00 UTC, 02:00 CET becomes 03:00 CEST.
    const qint64 spring = Utc(2026, 3, 29, 1, 0, 0);
    EXPECT_EQ(ArchiveTime(local.toLocal(spring - 1)), "2026-03-29T01:59:59.999");
    EXPECT_EQ(ArchiveTime(local.toLocal(spring)), "2026-03-29T03:00:00.000");
    EXPECT_TRUE(LogRecordLine(s, local.toLocal(spring + 500).time()).startsWith("\"3:0:0\","))
        << LogRecordLine(s, local.toLocal(spring + 500).time()).toStdString();
    // Autumn: at 01:00 UTC, 03:00 CEST becomes 02:00 CET; the hour repeats.
    const qint64 autumn = Utc(2026, 10, 25, 1, 0, 0);
    EXPECT_EQ(ArchiveTime(local.toLocal(autumn - 1)), "2026-10-25T02:59:59.999");
    EXPECT_EQ(ArchiveTime(local.toLocal(autumn)), "2026-10-25T02:00:00.000");
    EXPECT_EQ(local.toLocal(autumn).offsetFromUtc(), 3600);

    // A running station: four conversions a second for twenty minutes over
    // the spring change, each as the system gives it, with one look at the
    // zone a minute at most (and one at the change).
    LocalTimeCache running;
    for (qint64 t = spring - 10 * 60000; t < spring + 10 * 60000; t += 250) {
        const QDateTime mine = running.toLocal(t);
        const QDateTime system = QDateTime::fromMSecsSinceEpoch(t, Qt::LocalTime);
        ASSERT_EQ(mine.date(), system.date()) << t;
        ASSERT_EQ(mine.time(), system.time()) << t;
    }
    EXPECT_LE(running.lookups(), 22);
}
