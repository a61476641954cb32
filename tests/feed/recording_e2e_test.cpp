// The station on the flume simulator keeps what it receives: every CTD
// record the simulator sent is in the raw archive once and in order, beside
// the bus exchanges and a fault; the archive replayed through the simulator
// gives the station the same readings in the same order; and the ship feed
// on 127.0.0.1 carries one sentence per record, a bus sentence a second and
// an event mark with its note.

#include "archive/archivereader.h"
#include "archive/rawarchive.h"
#include "core/state.h"
#include "ctd/ctdpanel.h"
#include "ctd/ctdrecord.h"
#include "feed/frmmark.h"
#include "feed/sentences.h"
#include "feed/shipfeed.h"
#include "tests/support/feedlistener.h"
#include "tests/support/simstation.h"
#include "widgets/togglebutton.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

struct CtdFigures {
    double c, t, p;
    bool operator==(const CtdFigures&) const = default;
};

// The readings of every record the station applied.
std::shared_ptr<QList<CtdFigures>> RecordReadings(SimStation& st) {
    auto list = std::make_shared<QList<CtdFigures>>();
    QObject::connect(&st.main->ctdPanel(), &CtdPanel::recordApplied, st.main.get(), [list, &st] {
        const StationState& s = st.main->state();
        list->append({s.CtdConductivity.value, s.CtdTemperature.value, s.CtdPressure.value});
    });
    return list;
}

// Runs the CTD at 24 records a second for `ms`, then stops it and waits
// until the station has every record the simulator says it sent.
int RunCtd(SimStation& st, const QList<CtdFigures>& seen, int ms) {
    EXPECT_TRUE(st.sim.control(QStringLiteral("ctd-rate 24")));
    QTest::qWait(ms);
    EXPECT_TRUE(st.sim.control(QStringLiteral("ctd-rate 0")));
    const int sent = CtdSent(st.sim);
    EXPECT_TRUE(WaitUntil([&] { return seen.size() >= sent; }, 5000)) << seen.size();
    return sent;
}

} // namespace

TEST(RecordingOnTheSimulator, TheArchiveHoldsEveryRecordAndItsReplayGivesTheSameReadings) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("flume.csv"));
    QList<CtdFigures> live;
    QList<ArchiveEvent> events;
    {
        SimStation st;
        ASSERT_TRUE(st.start({QStringLiteral("--ctd-rate"), QStringLiteral("0")}))
            << st.errorText().toStdString();
        ASSERT_TRUE(st.openBus()) << st.messages();
        auto seen = RecordReadings(st);
        // Logging to a file with the raw archive and the bus exchanges.
        st.op.fileAnswers.push_back(log);
        ASSERT_TRUE(StartLogging(*st.main, true, true));
        st.main->cwCTDflag->setValue(true);
        // A fault on the way: the thruster's current module goes silent.
        ASSERT_TRUE(st.sim.control(QStringLiteral("silent 5")));
        const int sent = RunCtd(st, *seen, 2500);
        ASSERT_TRUE(st.sim.control(QStringLiteral("unsilent 5")));
        st.main->stopLogging();
        ASSERT_GT(sent, 30);
        EXPECT_EQ(seen->size(), sent);
        live = *seen;

        QString error;
        events = ArchiveReader::readAll(RawArchivePath(log), &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    }
    QList<CtdFigures> archived;
    int busExchanges = 0;
    bool silentSeen = false;
    for (const ArchiveEvent& e : events) {
        if (e.source == ArchiveEvent::Source::Ctd) {
            // The readings the line gives, as the station takes them.
            StationState s;
            ASSERT_TRUE(ParseCtdRecord(QString::fromLatin1(e.data), s, e.time))
                << e.data.constData();
            archived.append({s.CtdConductivity.value, s.CtdTemperature.value, s.CtdPressure.value});
        } else if (e.source == ArchiveEvent::Source::Dgh) {
            ++busExchanges;
            silentSeen |= e.command == "$5RD\r" && e.data.isEmpty();
        }
    }
    // Every record once, in order.
    ASSERT_EQ(archived.size(), live.size());
    for (qsizetype i = 0; i < live.size(); ++i)
        ASSERT_EQ(archived[i], live[i])
            << "record " << i << ": " << archived[i].c << "," << archived[i].t << ","
            << archived[i].p << " / " << live[i].c << "," << live[i].t << "," << live[i].p;
    EXPECT_GT(busExchanges, 10);
    EXPECT_TRUE(silentSeen);

    // The archive played back: the same readings in the same order.
    SimStation replay;
    ASSERT_TRUE(replay.start({QStringLiteral("--replay"), RawArchivePath(log),
                              QStringLiteral("--speed"), QStringLiteral("4")}))
        << replay.errorText().toStdString();
    auto again = RecordReadings(replay);
    replay.main->cwCTDflag->setValue(true);
    ASSERT_TRUE(WaitUntil([&] { return again->size() >= live.size(); }, 15000))
        << again->size() << " of " << live.size();
    EXPECT_EQ(*again, live);
}

TEST(RecordingOnTheSimulator, TheShipFeedCarriesEveryRecordEachCycleAndAMark) {
    FeedListener listener;
    ASSERT_TRUE(listener.bound());
    SimStation st;
    ASSERT_TRUE(st.start({QStringLiteral("--ctd-rate"), QStringLiteral("0")}))
        << st.errorText().toStdString();
    FeedSettings settings;
    settings.enabled = true;
    settings.address = QStringLiteral("127.0.0.1");
    settings.port = listener.port();
    st.main->feed().setSettings(settings);
    ASSERT_TRUE(st.openBus()) << st.messages();
    auto seen = RecordReadings(st);
    st.main->cwCTDflag->setValue(true);

    QElapsedTimer run;
    run.start();
    const int sent = RunCtd(st, *seen, 3000);
    const double seconds = run.elapsed() / 1000.0;
    st.main->markEvent();
    auto* note = st.main->findChild<frmMark*>(QStringLiteral("frmMark"));
    ASSERT_NE(note, nullptr);
    note->txtMarkNote->setText(QStringLiteral("wave run 3, calm"));
    static_cast<QDialog*>(note)->accept();
    ASSERT_TRUE(WaitUntil(
        [&] { return listener.sentences().filter(QStringLiteral("$CVMRK")).size() == 1; }));

    QList<CtdFigures> fed;
    int cycles = 0;
    for (const QString& s : listener.sentences()) {
        const auto fields = ParseSentence(s);
        ASSERT_TRUE(fields) << s.toStdString();
        const QString& name = fields->at(0);
        if (name == QLatin1String("CVCTD")) {
            fed.append(
                {fields->at(2).toDouble(), fields->at(3).toDouble(), fields->at(4).toDouble()});
        } else if (name == QLatin1String("CVBUS")) {
            ++cycles;
        } else if (name == QLatin1String("CVMRK")) {
            EXPECT_EQ(UnescapeNoteField(fields->at(3)), QStringLiteral("wave run 3, calm"));
        }
    }
    EXPECT_EQ(fed.size(), sent);
    EXPECT_EQ(fed, *seen); // one sentence per record, in order
    EXPECT_GE(cycles, int(seconds) - 1);
    EXPECT_LE(cycles, int(seconds) + 2);
}
