// Logging on the flume simulator: bus and CTD stream live, records every
// half second with the readings as they arrive.

#include "tests/support/simstation.h"
#include "ui/mainwindow.h"
#include "widgets/statusbar.h"
#include "widgets/togglebutton.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

TEST(LoggingOnFlume, HalfSecondRecordsCarryLiveBusAndCtdReadings) {
    SimStation st;
    ASSERT_TRUE(st.start({QStringLiteral("--ctd-rate"), QStringLiteral("20")}))
        << st.errorText().toStdString();
    ASSERT_TRUE(st.openBus()) << st.messages();
    frmMain* main = st.main.get();
    RecordingOperator& op = st.op;
    QTemporaryDir logDir;
    const QString path = logDir.filePath(QStringLiteral("flume run.log"));

    main->cwCTDflag->click();
    ASSERT_TRUE(st.ctd->isOpen()) << op.texts().join(" | ").toStdString();
    if (!main->state().PhReadingEnabled)
        main->cwbPh->click();
    ASSERT_TRUE(main->state().PhReadingEnabled);

    const StationState& s = main->state();
    ASSERT_TRUE(WaitUntil(
        [&] {
            return s.CtdConductivity.value != 0 && s.PhMilliVolts.value != 0 &&
                   !s.ProfilerCurrent.reply.isEmpty() && s.WaveRpm.known();
        },
        10000));

    op.fileAnswers.push_back(path);
    ASSERT_TRUE(StartLogging(*main));
    ASSERT_TRUE(op.messages.isEmpty()) << op.texts().join(" | ").toStdString();
    EXPECT_EQ(main->StatusBar1->panelText(1), path);

    EXPECT_EQ(main->tmrlogger.interval(), 500);
    int ticks = 0;
    QObject::connect(&main->tmrlogger, &StationTimer::ticked, [&] { ++ticks; });
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 6; }, 15000)) << ticks;
    main->stopLogging();
    EXPECT_TRUE(op.messages.isEmpty()) << op.texts().join(" | ").toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    ASSERT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    ASSERT_EQ(lines.size(), 24 + ticks) << "one record per tick";
    EXPECT_TRUE(lines[1].startsWith("\"Corvale II Logging Program\",#"));
    EXPECT_EQ(lines[8], "\"Log File: " + path.toLatin1() + "\"\r");
    EXPECT_EQ(lines[23], "\"" + QByteArray(64, '=') + "\"\r");

    const QRegularExpression time(QStringLiteral("^\"\\d{1,2}:\\d{1,2}:\\d{1,2}\"$"));
    const QRegularExpression reply(QStringLiteral("^\"\\*.*\"$"));
    for (qsizetype i = 24; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        const QList<QByteArray> items = line.split(',');
        ASSERT_EQ(items.size(), 12) << line.constData();
        EXPECT_TRUE(time.match(QString::fromLatin1(items[0])).hasMatch()) << line.constData();
        bool ok = false;
        EXPECT_NE(items[1].toDouble(&ok), 0) << line.constData(); // pH electrode mV
        EXPECT_TRUE(ok);
        const double pH = items[2].toDouble(&ok);
        EXPECT_TRUE(ok && pH > 4 && pH < 12) << line.constData();
        EXPECT_TRUE(items[3].startsWith('"') && items[4].startsWith('"')) << line.constData();
        const double temperature = items[5].toDouble(&ok);
        EXPECT_TRUE(ok && temperature >= 8 && temperature <= 20) << line.constData();
        const double conductivity = items[6].toDouble(&ok);
        EXPECT_TRUE(ok && conductivity >= 40 && conductivity <= 56) << line.constData();
        const double pressure = items[7].toDouble(&ok);
        EXPECT_TRUE(ok && pressure > 9 && pressure < 11) << line.constData();
        const double salinity = items[8].toDouble(&ok);
        EXPECT_TRUE(ok && salinity > 20 && salinity < 45) << line.constData();
        for (int f = 9; f <= 11; ++f)
            EXPECT_TRUE(reply.match(QString::fromLatin1(items[f])).hasMatch()) << line.constData();
    }
}

} // namespace
