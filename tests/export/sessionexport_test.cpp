// A recorded session read back and exported: every CTD line one row with
// its flag, damage counted and never given a time, the log's readings on
// their own times, and a NetCDF file that the netCDF library reads back
// with the same times, values, flags and marks.

#include "export/sessionexport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <netcdf.h>

using namespace corvale;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Times without an offset read an hour east of UTC.
SessionOptions AnHourEast() {
    SessionOptions o;
    o.utcOffset = 3600;
    return o;
}

qint64 Utc(int h, int m, int s, int ms) {
    return QDateTime(QDate(2026, 12, 8), QTime(h, m, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// An archive with every kind of CTD line, a mark, damage, an unzoned line
// and an unfinished tail; its log beside it crosses midnight.
struct RecordedSession : ::testing::Test {
    QTemporaryDir dir;
    QString archive = dir.filePath(QStringLiteral("run.csv.raw.csv"));
    void SetUp() override {
        WriteFile(archive, "time,source,kind,data\n"
                           "2026-12-08T14:07:09.000+01:00,CTD,OK,47.1234,14.5,10.04\n"
                           "2026-12-08T14:07:09.041+01:00,DGH,$1RD\\r,*+00012.34\\r\n"
                           "2026-12-08T14:07:09.083+01:00,CTD,MALFORMED,4#.1,14.5,10.0\n"
                           "2026-12-08T14:07:09.100+01:00,MARK,3,wave run 3\\x2C calm\n"
                           "2O26-12-08T14:07:09.120+01:00,CTD,OK,9,9,9\n"
                           "2026-12-08T14:07:09.125+01:00,CTD,PARTIAL,1111\n"
                           "2026-12-08T14:07:09.125+01:00,CTD,OVERLONG,2222\n"
                           "2026-12-08T13:07:09.166Z,CTD,OK, -1,14.5,10.0\\r\n"
                           "2026-12-08T14:07:09.208,CTD,OK,45,12,5.25\n"
                           "2026-12-08T23:59:58.000+01:00,LINK,DOWN,DGH,Port Not open\n"
                           "2026-12-09T00:00:00.500+01:00,LINK,UP,DGH,$9DI answered\n"
                           "2026-12-09T00:00:01.000+01:00,LINK,DOWN,CTD,lost\n"
                           "2026-12-08T14:07:09.250+01:00,CTD,OK,45");
        const QByteArray rule = '"' + QByteArray(64, '=') + "\"\r\n";
        QByteArray log = rule + "\"Corvale II Logging Program\",#2026-12-08#\r\n"
                                "\"Version: 1.0\"\r\n\r\n"
                                "\"pH Probe Offset: 2.5\"\r\n\"pH Probe Slope: 4.5\"\r\n"
                                "\"pH Probe Serial Number: SN-7\"\r\n"
                                "\"pH Probe Calibration Date: 0:00:00\"\r\n"
                                "\"Log File: /data/run.csv\"\r\n\r\n";
        for (int i = 11; i <= 23; ++i)
            log += "\"Field\"\r\n";
        log += rule;
        log += "\"23:59:59\",-12.3,8.0123,\"1234.5\",\"30\",14.5,47.1,10,34.5,\"*+00.0100\","
               "\"TIMEOUT\",\"\"\r\n"
               "\"0:0:1\",-12.4,8.01,\"\",\"30\",14.5,47.1,10,34.5,\"*+00.0100\",\"\",\"\"\r\n";
        WriteFile(dir.filePath(QStringLiteral("run.csv")), log);
    }
};

} // namespace

TEST_F(RecordedSession, EveryCtdLineIsOneRowAndDamageIsCountedNotTimed) {
    Session s;
    QString error;
    ASSERT_TRUE(LoadSession(archive, AnHourEast(), s, &error)) << error.toStdString();
    // OK, MALFORMED, the OVERLONG line (its PARTIAL piece is no row), OK, OK.
    ASSERT_EQ(s.ctd.size(), 5u);
    EXPECT_EQ(s.ctd.utcMs[0], Utc(13, 7, 9, 0));
    EXPECT_EQ(s.ctd.utcMs[3], Utc(13, 7, 9, 166));
    EXPECT_EQ(s.ctd.utcMs[4], Utc(13, 7, 9, 208));   // no offset: the one asked for
    EXPECT_DOUBLE_EQ(s.ctd.conductivity[0], 47.123); // rounded as the station does
    EXPECT_DOUBLE_EQ(s.ctd.pressure[4], 5.2);        // half to even
    EXPECT_EQ(s.ctd.flag[1], QualityFlag::MalformedLine);
    EXPECT_TRUE(std::isnan(s.ctd.temperature[1]));
    EXPECT_EQ(s.ctd.flag[2], QualityFlag::MalformedLine);
    EXPECT_EQ(s.ctd.flag[3], QualityFlag::Good);
    EXPECT_EQ(s.ctd.salinityFlag[3], QualityFlag::Stale); // a negative conductivity: no salinity
    ASSERT_EQ(s.marks.size(), 1);
    EXPECT_EQ(s.marks[0].note, QStringLiteral("wave run 3, calm"));
    EXPECT_EQ(s.marks[0].row, 2u);
    EXPECT_EQ(s.damaged, 1);
    EXPECT_EQ(s.damageReport, QStringLiteral("Skipped 1 damaged line (line 6). The last line "
                                             "is unfinished and was left out."));
    EXPECT_EQ(s.unzoned, 1);
    EXPECT_TRUE(s.zoneNote.contains(QStringLiteral("UTC+01:00"))) << s.zoneNote.toStdString();

    ASSERT_EQ(s.log.size(), 2u);
    EXPECT_EQ(s.log[0].utcMs, Utc(22, 59, 59, 0));
    EXPECT_EQ(s.log[1].utcMs, Utc(23, 0, 1, 0)); // past midnight: the next day
    EXPECT_DOUBLE_EQ(s.log[0].ph, 8.0123);
    EXPECT_TRUE(std::isnan(s.log[0].waveWatts)); // TIMEOUT
    EXPECT_TRUE(std::isnan(s.log[1].thrusterRpm));
    EXPECT_EQ(s.header.calSerialNumber, QStringLiteral("SN-7"));
    // The bus down across the first record; the CTD line down to the end.
    EXPECT_TRUE(s.down(QStringLiteral("DGH"), s.log[0].utcMs));
    EXPECT_FALSE(s.down(QStringLiteral("DGH"), s.log[1].utcMs));
    EXPECT_TRUE(s.down(QStringLiteral("CTD"), Utc(23, 0, 1, 0)));

    QString refusal;
    WriteFile(dir.filePath(QStringLiteral("notes.txt")), "dear diary\n");
    EXPECT_FALSE(LoadSession(dir.filePath(QStringLiteral("notes.txt")), {}, s, &refusal));
    EXPECT_TRUE(refusal.endsWith(QStringLiteral("nor an event."))) << refusal.toStdString();
}

TEST_F(RecordedSession, NetcdfReadsBackWithTheSameTimesValuesFlagsAndMarks) {
    Session s;
    ASSERT_TRUE(LoadSession(archive, AnHourEast(), s));
    const QString out = dir.filePath(QStringLiteral("run.nc"));
    QString error;
    ASSERT_TRUE(ExportNetcdf(s, out, QStringLiteral("test"), &error)) << error.toStdString();

    int nc = -1;
    ASSERT_EQ(nc_open(QFile::encodeName(out).constData(), NC_NOWRITE, &nc), NC_NOERR);
    const auto var = [&](const char* name) {
        int id = -1;
        EXPECT_EQ(nc_inq_varid(nc, name, &id), NC_NOERR) << name;
        return id;
    };
    const auto text = [&](int v, const char* name) {
        std::size_t n = 0;
        if (nc_inq_attlen(nc, v, name, &n) != NC_NOERR)
            return std::string("<none>");
        std::string t(n, '\0');
        nc_get_att_text(nc, v, name, t.data());
        return t;
    };
    const std::size_t rows = s.ctd.size();
    std::vector<double> time(rows), cond(rows), sal(rows);
    std::vector<signed char> flags(rows), salFlags(rows);
    ASSERT_EQ(nc_get_var_double(nc, var("time"), time.data()), NC_NOERR);
    ASSERT_EQ(nc_get_var_double(nc, var("conductivity"), cond.data()), NC_NOERR);
    ASSERT_EQ(nc_get_var_double(nc, var("salinity"), sal.data()), NC_NOERR);
    ASSERT_EQ(nc_get_var_schar(nc, var("conductivity_qc"), flags.data()), NC_NOERR);
    ASSERT_EQ(nc_get_var_schar(nc, var("salinity_qc"), salFlags.data()), NC_NOERR);
    for (std::size_t i = 0; i < rows; ++i) {
        EXPECT_EQ(time[i], s.ctd.utcMs[i] / 1000.0) << i;
        EXPECT_EQ(flags[i], static_cast<signed char>(s.ctd.flag[i])) << i;
        EXPECT_EQ(salFlags[i], static_cast<signed char>(s.ctd.salinityFlag[i])) << i;
        if (std::isnan(s.ctd.conductivity[i]))
            EXPECT_EQ(cond[i], kNetcdfFill) << i;
        else
            EXPECT_EQ(cond[i], s.ctd.conductivity[i] / 10.0) << i; // S/m
        if (std::isnan(s.ctd.salinity[i]))
            EXPECT_EQ(sal[i], kNetcdfFill) << i;
        else
            EXPECT_EQ(sal[i], s.ctd.salinity[i]) << i;
    }
    EXPECT_EQ(text(var("conductivity"), "units"), "S m-1");
    EXPECT_EQ(text(var("conductivity"), "standard_name"), "sea_water_electrical_conductivity");
    EXPECT_EQ(text(var("ph"), "standard_name"), "<none>");
    EXPECT_EQ(text(var("salinity_qc"), "flag_meanings"), "good stale malformed_line outage");
    EXPECT_EQ(text(NC_GLOBAL, "Conventions"), "CF-1.8");
    EXPECT_EQ(text(NC_GLOBAL, "time_coverage_start"), "2026-12-08T13:07:09.000Z");
    EXPECT_EQ(text(NC_GLOBAL, "time_coverage_end"), "2026-12-08T23:00:01.000Z");
    EXPECT_EQ(text(NC_GLOBAL, "ph_probe_serial_number"), "SN-7");

    double markTime = 0;
    char* note = nullptr;
    ASSERT_EQ(nc_get_var_double(nc, var("mark_time"), &markTime), NC_NOERR);
    ASSERT_EQ(nc_get_var_string(nc, var("mark_note"), &note), NC_NOERR);
    EXPECT_EQ(markTime, Utc(13, 7, 9, 100) / 1000.0);
    EXPECT_STREQ(note, "wave run 3, calm");
    nc_free_string(1, &note);
    double ph[2] = {};
    ASSERT_EQ(nc_get_var_double(nc, var("ph"), ph), NC_NOERR);
    EXPECT_EQ(ph[1], 8.01);
    signed char phFlags[2] = {};
    ASSERT_EQ(nc_get_var_schar(nc, var("ph_qc"), phFlags), NC_NOERR);
    EXPECT_EQ(phFlags[0], static_cast<signed char>(QualityFlag::Outage));
    EXPECT_EQ(phFlags[1], static_cast<signed char>(QualityFlag::Good));
    nc_close(nc);
}

TEST_F(RecordedSession, CsvHasOneRowPerCtdLineEmptyCellsAndFlags) {
    Session s;
    ASSERT_TRUE(LoadSession(archive, AnHourEast(), s));
    const QString out = dir.filePath(QStringLiteral("run.out.csv"));
    ASSERT_TRUE(ExportCsv(s, out));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 1 + 5 + 1); // header, rows, nothing after the last line end
    EXPECT_TRUE(lines[0].startsWith("time (UTC),conductivity (S/m),temperature (degC)"));
    EXPECT_EQ(lines[1].toStdString(),
              "2026-12-08T13:07:09.000Z,4.7123,14.5,10,39.373,good,good,good,good,,\r");
    EXPECT_EQ(lines[2].toStdString(), "2026-12-08T13:07:09.083Z,,,,,malformed_line,malformed_line,"
                                      "malformed_line,malformed_line,,\r");
    EXPECT_TRUE(lines[3].endsWith(",3,\"wave run 3, calm\"\r")) << lines[3].constData();
}
