// A raw archive written by the station's own writer, replayed by the flume
// simulator and received through the station's real serial port: the CTD
// lines arrive whole and in order, and the bus answers with what was
// recorded at that moment of the session.

#include "archive/archivereader.h"
#include "archive/rawarchive.h"
#include "bus/dghlink.h"
#include "bus/qtserialport.h"
#include "core/clock.h"
#include "core/state.h"
#include "ctd/ctdrecord.h"
#include "tests/support/fakes.h"
#include "tests/support/simprocess.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

struct ReplayedSession : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("session.csv.raw.csv"));
    QByteArray sent; // the CTD bytes the session received
    int lines = 0;
    PrivateStore store;
    SimProcess sim;
    RealClock clock;
    RecordingOperator op;

    // 40 CTD lines 50 ms apart, as the station archives them: good records,
    // a malformed one, a CR LF one, an over-long one; the thruster's reading
    // recorded before the first line and again after the last; the pH
    // module recorded silent.
    void writeArchive() {
        RawArchive archive;
        ASSERT_TRUE(archive.open(path, RawArchive::Mode::Overwrite));
        const QDateTime t0 = QDateTime::currentDateTime().addDays(-1);
        archive.appendBusExchange(t0, "$1RD\r", "*+00012.34\r");
        archive.appendBusExchange(t0, "$ARD\r", "");
        for (int i = 0; i < 40; ++i) {
            QByteArray line = QByteArray::number(47.0 + i / 100.0, 'f', 3) + ",14.502,10.04";
            CtdLineStatus status = CtdLineStatus::Ok;
            if (i == 7) {
                line = "4#.1,14.502";
                status = CtdLineStatus::Malformed;
            } else if (i == 8) {
                line += '\r';
            } else if (i == 20) {
                line = QByteArray(5000, '9');
                status = CtdLineStatus::Overlong;
            } else if (i == 30) {
                // An endless line, in pieces as the stream reports it: more
                // than a pseudo-terminal holds at once.
                for (char c : {'a', 'b', 'c'}) {
                    const QByteArray piece(CtdStream::MaxReportedLength, c);
                    ASSERT_TRUE(archive.appendCtdLine(t0.addMSecs(10 + 50 * i), piece,
                                                      CtdLineStatus::Partial));
                    sent += piece;
                }
                line = "end";
                status = CtdLineStatus::Overlong;
            }
            ASSERT_TRUE(archive.appendCtdLine(t0.addMSecs(10 + 50 * i), line, status));
            sent += line + '\n';
            ++lines;
        }
        archive.appendMark(t0.addMSecs(2000), 1, QStringLiteral("end of run"));
        archive.appendBusExchange(t0.addMSecs(2100), "$1RD\r", "*+00099.00\r");
        archive.close();
    }

    // Asks the bus, repeating a command that missed the reply window on a
    // loaded machine after its late reply has been drained.
    BusExchange ask(DghLink& link, QtSerialPort& port, const QByteArray& command) {
        BusExchange x;
        for (int attempt = 0; attempt < 4; ++attempt) {
            x = RunTask(link.Exchange(QString::fromLatin1(command)), link.clock());
            if (x.status != BusExchange::Status::Timeout)
                break;
            QTest::qWait(150);
            port.setReadLength(0);
            while (port.charactersWaiting() > 0)
                port.read();
        }
        return x;
    }
};

} // namespace

TEST_F(ReplayedSession, CtdLinesArriveInOrderAndTheBusAnswersAsRecorded) {
    writeArchive();
    ASSERT_TRUE(store.isValid());
    ASSERT_TRUE(sim.start(
        {QStringLiteral("--replay"), path, QStringLiteral("--speed"), QStringLiteral("2")}))
        << sim.errorText().toStdString();
    store.mapPort(4, sim.dghDevice());
    store.mapPort(5, sim.ctdDevice());
    // The replay waits for its reader: open the line a while after the start.
    QTest::qWait(300);
    QtSerialPort ctd(5, QStringLiteral("9600,n,8,1"));
    ASSERT_EQ(ctd.open(), SerialPort::OpenError::None) << ctd.errorText().toStdString();

    QByteArray received;
    int reads = 0;
    bool askedMidSession = false;
    QDeadlineTimer deadline(20000);
    while (received.size() < sent.size() && !deadline.hasExpired()) {
        QTest::qWait(20);
        ctd.setReadLength(0);
        while (ctd.charactersWaiting() > 0) {
            received += ctd.read();
            ++reads;
        }
        if (!askedMidSession && received.count('\n') >= 1 && received.count('\n') < lines) {
            askedMidSession = true;
            // Mid-session: the thruster's first recorded reading, the pH
            // module's recorded silence, the wave motor's from the model.
            QtSerialPort dgh(4, QStringLiteral("19200,n,8,1"));
            ASSERT_EQ(dgh.open(), SerialPort::OpenError::None);
            DghLink link(dgh, clock, op);
            EXPECT_EQ(ask(link, dgh, "$1RD\r").reply, QStringLiteral("*+00012.34"));
            EXPECT_EQ(ask(link, dgh, "$ARD\r").status, BusExchange::Status::Timeout);
            EXPECT_TRUE(ask(link, dgh, "$4RD\r").valid());
        }
    }
    EXPECT_TRUE(askedMidSession);
    EXPECT_EQ(received.count('\n'), lines);
    EXPECT_EQ(received.toStdString(), sent.toStdString());
    EXPECT_GT(reads, 2); // paced, not in one burst

    ASSERT_TRUE(sim.waitForLine(QStringLiteral("replay end 43"), 10000));
    QtSerialPort dgh(4, QStringLiteral("19200,n,8,1"));
    ASSERT_EQ(dgh.open(), SerialPort::OpenError::None);
    DghLink link(dgh, clock, op);
    EXPECT_EQ(ask(link, dgh, "$1RD\r").reply, QStringLiteral("*+00099.00"));
}

namespace {

// The station's CTD path without its window: the real port, the record
// stream with its line hook, and what each record did to the readings.
struct CtdReceiver {
    StationState state;
    QStringList readings;
    QList<QByteArray> lines;
    RawArchive* archive = nullptr;
    CtdStream stream{[this](const QString& record) {
        if (ParseCtdRecord(record, state, QDateTime::currentDateTime()))
            readings << QStringLiteral("%1 %2 %3 %4")
                            .arg(state.CtdConductivity.value)
                            .arg(state.CtdTemperature.value)
                            .arg(state.CtdPressure.value)
                            .arg(state.CtdSalinity.value);
    }};
    CtdReceiver() {
        stream.setLineHandler([this](const QByteArray& line, CtdLineStatus status) {
            lines << line;
            if (archive)
                archive->appendCtdLine(QDateTime::currentDateTime(), line, status);
        });
    }
    // Reads until `done` or the deadline.
    void readUntil(QtSerialPort& port, const std::function<bool()>& done, int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (!done() && !deadline.hasExpired()) {
            QTest::qWait(10);
            port.setReadLength(0);
            while (port.charactersWaiting() > 0)
                stream.feed(port.read());
        }
    }
};

} // namespace

TEST(ArchiveChain, ASessionArchivedFromTheSimulatorReplaysToTheSameReadings) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chain.raw.csv"));
    PrivateStore store;
    ASSERT_TRUE(store.isValid());

    // Recording: 24 records a second, every fifth malformed.
    CtdReceiver recorded;
    RawArchive archive;
    ASSERT_TRUE(archive.open(path, RawArchive::Mode::Overwrite));
    recorded.archive = &archive;
    {
        SimProcess sim;
        ASSERT_TRUE(sim.start({QStringLiteral("--ctd-rate"), QStringLiteral("24"),
                               QStringLiteral("--ctd-malformed"), QStringLiteral("5")}))
            << sim.errorText().toStdString();
        store.mapPort(5, sim.ctdDevice());
        QtSerialPort port(5, QStringLiteral("9600,n,8,1"));
        ASSERT_EQ(port.open(), SerialPort::OpenError::None);
        recorded.readUntil(
            port, [&] { return recorded.lines.size() >= 48; }, 20000);
    }
    archive.close();
    ASSERT_GE(recorded.lines.size(), 48);
    EXPECT_LT(recorded.readings.size(), recorded.lines.size()); // malformed ones among them

    // Every line once, in order, in the archive.
    QList<QByteArray> archived;
    for (const ArchiveEvent& e : ArchiveReader::readAll(path))
        archived << e.data;
    EXPECT_EQ(archived, recorded.lines);

    // Replayed at four times the pace, the station's readings come out the same.
    CtdReceiver replayed;
    SimProcess sim;
    ASSERT_TRUE(sim.start(
        {QStringLiteral("--replay"), path, QStringLiteral("--speed"), QStringLiteral("4")}))
        << sim.errorText().toStdString();
    store.mapPort(5, sim.ctdDevice());
    QtSerialPort port(5, QStringLiteral("9600,n,8,1"));
    ASSERT_EQ(port.open(), SerialPort::OpenError::None);
    replayed.readUntil(
        port, [&] { return replayed.lines.size() >= recorded.lines.size(); }, 20000);
    EXPECT_EQ(replayed.lines, recorded.lines);
    EXPECT_EQ(replayed.readings, recorded.readings);
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("replay end %1").arg(recorded.lines.size()), 5000));
}
