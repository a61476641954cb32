// A session recorded on the flume simulator at 24 records a second, with a
// mark and malformed lines, reviewed and exported: the review window holds
// every record the simulator sent, corvale-export writes NetCDF that ncdump
// describes with CF's names, units and flags, and CSV with one row each.

#include "archive/rawarchive.h"
#include "ctd/ctdpanel.h"
#include "feed/frmmark.h"
#include "logging/frmlogbf2.h"
#include "review/frmreview.h"
#include "tests/support/simstation.h"
#include "widgets/togglebutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

int CtdSent(SimProcess& sim) {
    QString state;
    if (!sim.control(QStringLiteral("state"), &state))
        return -1;
    const auto m = QRegularExpression(QStringLiteral("ctd-sent=(\\d+)")).match(state);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Runs a program to its end; its standard output, or "" when it failed.
QString RunProgram(const QString& program, const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (err)
            *err = QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    if (err)
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

} // namespace

TEST(ReviewOnTheSimulator, EveryRecordIsReviewedAndExportedToNetcdfAndCsv) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("flume.csv"));
    int sent = 0;
    {
        SimStation st;
        ASSERT_TRUE(st.start({QStringLiteral("--ctd-rate"), QStringLiteral("0"),
                              QStringLiteral("--ctd-malformed"), QStringLiteral("25")}))
            << st.errorText().toStdString();
        ASSERT_TRUE(st.openBus()) << st.messages();
        ClickToolbar(*st.main, "start");
        auto* logger = st.main->findChild<frmLogBF2*>(QStringLiteral("frmLogBF2"));
        ASSERT_NE(logger, nullptr);
        logger->optDatafile[1]->click();
        st.op.fileAnswers.push_back(log);
        logger->cmdSelect->click();
        logger->optAppend[1]->click();
        logger->cmbInterval->setCurrentIndex(7);
        logger->chkRawArchive->setChecked(true);
        logger->cmdExit->click();
        auto lines = std::make_shared<int>(0);
        QObject::connect(&st.main->ctdPanel(), &CtdPanel::lineReceived, st.main.get(),
                         [lines](const QByteArray&, CtdLineStatus status) {
                             if (status != CtdLineStatus::Partial)
                                 ++*lines;
                         });
        st.main->cwCTDflag->setValue(true);
        ASSERT_TRUE(st.sim.control(QStringLiteral("ctd-rate 24")));
        QTest::qWait(1500);
        st.main->markEvent();
        auto* note = st.main->findChild<frmMark*>(QStringLiteral("frmMark"));
        ASSERT_NE(note, nullptr);
        note->txtMarkNote->setText(QStringLiteral("wave run 3, calm"));
        static_cast<QDialog*>(note)->accept();
        QTest::qWait(1500);
        ASSERT_TRUE(st.sim.control(QStringLiteral("ctd-rate 0")));
        sent = CtdSent(st.sim);
        ASSERT_TRUE(WaitUntil([&] { return *lines >= sent; })) << *lines << " of " << sent;
        st.main->stopLogging();
    }
    ASSERT_GT(sent, 50);
    const QString archive = RawArchivePath(log);

    RecordingOperator op;
    frmReview review(op);
    QString error;
    ASSERT_TRUE(review.open(archive, &error)) << error.toStdString();
    const Session& s = review.session();
    EXPECT_EQ(s.ctd.size(), std::size_t(sent));
    EXPECT_EQ(std::count(s.ctd.flag.begin(), s.ctd.flag.end(), QualityFlag::MalformedLine),
              sent / 25);
    EXPECT_EQ(s.marks.size(), 1);
    EXPECT_EQ(s.damaged, 0);
    EXPECT_EQ(s.unzoned, 0); // new archives carry their offset
    EXPECT_GT(s.log.size(), 3u);

    const QString nc = dir.filePath(QStringLiteral("flume.nc"));
    ASSERT_FALSE(RunProgram(QStringLiteral(CORVALE_EXPORT_PATH),
                            {archive, QStringLiteral("--to"), QStringLiteral("netcdf"),
                             QStringLiteral("-o"), nc},
                            &error)
                     .isEmpty())
        << error.toStdString();
    const QString header = RunProgram(QStringLiteral("ncdump"), {QStringLiteral("-h"), nc});
    for (const char* expected :
         {"time = " /* the dimension */,
          "double time(time)",
          "time:units = \"seconds since 1970-01-01 00:00:00 UTC\"",
          "double conductivity(time)",
          "conductivity:units = \"S m-1\"",
          "conductivity:standard_name = \"sea_water_electrical_conductivity\"",
          "temperature:standard_name = \"sea_water_temperature\"",
          "pressure:standard_name = \"sea_water_pressure\"",
          "salinity:standard_name = \"sea_water_practical_salinity\"",
          "_FillValue",
          "byte conductivity_qc(time)",
          "conductivity_qc:flag_values = 0b, 1b, 2b, 3b",
          "flag_meanings = \"good stale malformed_line outage\"",
          "ph:long_name = \"pH",
          "string mark_note(mark)",
          ":Conventions = \"CF-1.8\"",
          ":time_coverage_start = ",
          ":time_coverage_end = ",
          ":history = ",
          ":ph_probe_slope = "})
        EXPECT_TRUE(header.contains(QLatin1String(expected))) << expected;
    EXPECT_FALSE(header.contains(QLatin1String("ph:standard_name")));
    EXPECT_TRUE(header.contains(QStringLiteral("time = %1 ;").arg(sent))) << header.toStdString();

    const QString csv = dir.filePath(QStringLiteral("flume.out.csv"));
    ASSERT_FALSE(RunProgram(QStringLiteral(CORVALE_EXPORT_PATH),
                            {archive, QStringLiteral("--to"), QStringLiteral("csv"),
                             QStringLiteral("-o"), csv})
                     .isEmpty());
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count('\n'), sent + 1); // the header row and one row per record
    EXPECT_TRUE(bytes.contains("\"wave run 3, calm\""));
}

TEST(ExportCommand, SaysHowTimesWithoutAnOffsetWereReadAndRefusesWhatIsNoArchive) {
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("old.csv.raw.csv"));
    {
        QFile f(archive);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("time,source,kind,data\n"
                "2026-12-08T14:07:09.000,CTD,OK,47.1,14.5,10\n"
                "2026-12-08T14:07:09.041,CTD,OK,47.2,14.5,10\n");
    }
    const QString nc = dir.filePath(QStringLiteral("old.nc"));
    const auto exportTo = [&](const QStringList& extra, QString* err) {
        QProcess p;
        p.start(QStringLiteral(CORVALE_EXPORT_PATH),
                QStringList{archive, QStringLiteral("--to"), QStringLiteral("netcdf"),
                            QStringLiteral("-o"), nc} +
                    extra);
        p.waitForFinished(30000);
        *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    };
    QString err;
    ASSERT_EQ(exportTo({}, &err), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("2 of 2 archive lines carry no UTC offset; they were "
                                            "read in this machine's time zone")))
        << err.toStdString();
    EXPECT_TRUE(RunProgram(QStringLiteral("ncdump"), {QStringLiteral("-h"), nc})
                    .contains(QStringLiteral("were read in this machine\\'s time zone")));
    ASSERT_EQ(exportTo({QStringLiteral("--utc-offset"), QStringLiteral("-03:30")}, &err), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("they were read as UTC-03:30."))) << err.toStdString();
    const QString dump =
        RunProgram(QStringLiteral("ncdump"), {QStringLiteral("-v"), QStringLiteral("time"), nc});
    // 14:07:09 at UTC-03:30 is 17:37:09 UTC.
    const double at =
        QDateTime(QDate(2026, 12, 8), QTime(17, 37, 9), Qt::UTC).toMSecsSinceEpoch() / 1000.0;
    EXPECT_TRUE(dump.contains(QString::number(at, 'f', 0))) << dump.toStdString();

    QFile notes(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("dear diary\n");
    notes.close();
    QProcess p;
    p.start(QStringLiteral(CORVALE_EXPORT_PATH),
            {notes.fileName(), QStringLiteral("--to"), QStringLiteral("csv"), QStringLiteral("-o"),
             dir.filePath(QStringLiteral("x.csv"))});
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(p.readAllStandardError().count('\n'), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.csv"))));
    p.start(QStringLiteral(CORVALE_EXPORT_PATH),
            {archive, QStringLiteral("--to"), QStringLiteral("xlsx"), QStringLiteral("-o"),
             dir.filePath(QStringLiteral("x.xlsx"))});
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 2);
}
