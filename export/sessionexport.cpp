#include "export/sessionexport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <charconv>
#include <cmath>
#include <netcdf.h>
#include <vector>

namespace corvale {

namespace {

// One variable of the file: its data and the attributes CF asks for.
struct Quantity {
    const char* name;
    const char* units;
    const char* standardName; // nullptr: CF has none that fits
    const char* longName;
    std::vector<double> values; // NaN: unknown
    std::vector<QualityFlag> flags;
};

class NcFile {
public:
    explicit NcFile(QString* error) : error_(error) {}
    ~NcFile() {
        if (id >= 0)
            nc_close(id);
    }
    // Records the first failure; every later call is skipped.
    bool check(int status, const char* what) {
        if (status != NC_NOERR && ok) {
            ok = false;
            if (error_)
                *error_ = QStringLiteral("Cannot write NetCDF (%1): %2.")
                              .arg(QLatin1String(what), QLatin1String(nc_strerror(status)));
        }
        return ok;
    }
    void text(int var, const char* name, const QByteArray& value) {
        if (ok)
            check(nc_put_att_text(id, var, name, value.size(), value.constData()), name);
    }
    int defineVar(const char* name, nc_type type, int dim) {
        int var = -1;
        if (ok && check(nc_def_var(id, name, type, 1, &dim, &var), name))
            check(nc_def_var_deflate(id, var, 1, 1, 1), name);
        return var;
    }
    int id = -1;
    bool ok = true;

private:
    QString* error_;
};

std::vector<double> Filled(const std::vector<double>& values, double scale = 1) {
    std::vector<double> out(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        out[i] = std::isnan(values[i]) ? kNetcdfFill : values[i] * scale;
    return out;
}

std::vector<signed char> FlagBytes(const std::vector<QualityFlag>& flags) {
    std::vector<signed char> out(flags.size());
    for (std::size_t i = 0; i < flags.size(); ++i)
        out[i] = static_cast<signed char>(flags[i]);
    return out;
}

// Defines a quantity and its flag variable on `dim`; returns both ids.
std::pair<int, int> DefineQuantity(NcFile& nc, int dim, const Quantity& q) {
    const int var = nc.defineVar(q.name, NC_DOUBLE, dim);
    const QByteArray qcName = QByteArray(q.name) + "_qc";
    const int qc = nc.defineVar(qcName.constData(), NC_BYTE, dim);
    if (!nc.ok)
        return {var, qc};
    nc.check(nc_put_att_double(nc.id, var, "_FillValue", NC_DOUBLE, 1, &kNetcdfFill), q.name);
    nc.text(var, "units", q.units);
    if (q.standardName)
        nc.text(var, "standard_name", q.standardName);
    nc.text(var, "long_name", q.longName);
    nc.text(var, "ancillary_variables", qcName);
    const signed char flagValues[] = {0, 1, 2, 3};
    nc.check(nc_put_att_schar(nc.id, qc, "flag_values", NC_BYTE, 4, flagValues), "flag_values");
    nc.text(qc, "flag_meanings", kQualityFlagMeanings);
    nc.text(qc, "long_name", QByteArray("quality flag of ") + q.longName);
    if (q.standardName)
        nc.text(qc, "standard_name", QByteArray(q.standardName) + " status_flag");
    return {var, qc};
}

void PutQuantity(NcFile& nc, std::pair<int, int> ids, const Quantity& q) {
    const std::size_t start = 0, count = q.values.size();
    if (count == 0)
        return;
    const std::vector<double> values = Filled(q.values);
    const std::vector<signed char> flags = FlagBytes(q.flags);
    nc.check(nc_put_vara_double(nc.id, ids.first, &start, &count, values.data()), q.name);
    nc.check(nc_put_vara_schar(nc.id, ids.second, &start, &count, flags.data()), q.name);
}

int DefineTime(NcFile& nc, const char* name, int dim, const char* longName, bool coordinate) {
    int var = -1;
    if (!nc.ok || !nc.check(nc_def_var(nc.id, name, NC_DOUBLE, 1, &dim, &var), name))
        return var;
    nc.text(var, "units", "seconds since 1970-01-01 00:00:00 UTC");
    nc.text(var, "calendar", "standard");
    nc.text(var, "long_name", longName);
    if (coordinate) {
        nc.text(var, "standard_name", "time");
        nc.text(var, "axis", "T");
    }
    return var;
}

void PutTimes(NcFile& nc, int var, const std::vector<qint64>& ms) {
    if (ms.empty())
        return;
    std::vector<double> seconds(ms.size());
    for (std::size_t i = 0; i < ms.size(); ++i)
        seconds[i] = double(ms[i]) / 1000.0;
    const std::size_t start = 0, count = ms.size();
    nc.check(nc_put_vara_double(nc.id, var, &start, &count, seconds.data()), "time");
}

QByteArray Number(double v) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    return ec == std::errc() ? QByteArray(text, end - text) : QByteArray();
}

QByteArray CsvText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

QList<Quantity> CtdQuantities(const Session& s) {
    const CtdRows& r = s.ctd;
    std::vector<double> siemens(r.conductivity.size());
    for (std::size_t i = 0; i < siemens.size(); ++i)
        siemens[i] = r.conductivity[i] / 10.0; // mS/cm to S/m
    return {
        {"conductivity", "S m-1", "sea_water_electrical_conductivity",
         "sea water electrical conductivity", siemens, r.flag},
        {"temperature", "degree_Celsius", "sea_water_temperature", "sea water temperature",
         r.temperature, r.flag},
        {"pressure", "dbar", "sea_water_pressure", "sea water pressure", r.pressure, r.flag},
        {"salinity", "1", "sea_water_practical_salinity", "sea water practical salinity (PSS-78)",
         r.salinity, r.salinityFlag},
    };
}

QList<Quantity> LogQuantities(const Session& s) {
    QList<Quantity> q = {
        {"ph", "1", nullptr, "pH of the water, NBS scale (glass electrode)", {}, {}},
        {"ph_mv", "mV", nullptr, "voltage of the pH electrode", {}, {}},
        {"thruster_speed", "min-1", nullptr, "thruster speed, revolutions per minute", {}, {}},
        {"wave_generator_speed",
         "min-1",
         nullptr,
         "wave generator speed, revolutions per minute",
         {},
         {}},
        {"thruster_power", "W", nullptr, "thruster power", {}, {}},
        {"wave_generator_power", "W", nullptr, "wave generator power", {}, {}},
        {"profiler_power", "W", nullptr, "vertical profiler power", {}, {}},
    };
    const QList<SessionSpan> busOutages = s.outages(QStringLiteral("DGH"));
    for (const LogRow& row : s.log) {
        const double v[] = {row.ph,           row.phMilliVolts,  row.thrusterRpm,
                            row.waveRpm,      row.thrusterWatts, row.waveWatts,
                            row.profilerWatts};
        // Every one of them is read over the bus: a record written while the
        // bus was down repeats what was read before the outage.
        const bool busDown = Within(busOutages, row.utcMs);
        for (int i = 0; i < q.size(); ++i) {
            q[i].values.push_back(v[i]);
            // A log record without a reading repeats nothing fresh.
            q[i].flags.push_back(busDown            ? QualityFlag::Outage
                                 : std::isnan(v[i]) ? QualityFlag::Stale
                                                    : QualityFlag::Good);
        }
    }
    return q;
}

} // namespace

QByteArray UtcText(qint64 utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))
        .toLatin1();
}

bool ExportNetcdf(const Session& s, const QString& path, const QString& history, QString* error) {
    NcFile nc(error);
    const QByteArray name = QFile::encodeName(path);
    if (const int status = nc_create(name.constData(), NC_NETCDF4 | NC_CLOBBER, &nc.id)) {
        nc.id = -1;
        if (error)
            *error = QStringLiteral("Cannot write %1: %2.")
                         .arg(path, QLatin1String(nc_strerror(status)));
        return false;
    }
    // A fixed dimension of length 0 would be unlimited; the count stays 0.
    int timeDim = -1, logDim = -1, markDim = -1;
    nc.check(nc_def_dim(nc.id, "time", s.ctd.size(), &timeDim), "time");
    nc.check(nc_def_dim(nc.id, "log_time", s.log.size(), &logDim), "log_time");
    nc.check(nc_def_dim(nc.id, "mark", s.marks.size(), &markDim), "mark");

    const int timeVar = DefineTime(nc, "time", timeDim, "time of receipt of the CTD line", true);
    const QList<Quantity> ctd = CtdQuantities(s);
    QList<std::pair<int, int>> ctdIds;
    for (const Quantity& q : ctd)
        ctdIds << DefineQuantity(nc, timeDim, q);

    const int logTimeVar =
        DefineTime(nc, "log_time", logDim, "time of the log file's record", true);
    const QList<Quantity> log = LogQuantities(s);
    QList<std::pair<int, int>> logIds;
    for (const Quantity& q : log)
        logIds << DefineQuantity(nc, logDim, q);

    const int markTimeVar = DefineTime(nc, "mark_time", markDim, "time of the event mark", false);
    int markNumberVar = -1, markNoteVar = -1;
    if (nc.ok && nc.check(nc_def_var(nc.id, "mark_number", NC_INT, 1, &markDim, &markNumberVar),
                          "mark_number")) {
        nc.text(markNumberVar, "long_name", "number of the event mark");
        nc.text(markNumberVar, "coordinates", "mark_time");
    }
    if (nc.ok &&
        nc.check(nc_def_var(nc.id, "mark_note", NC_STRING, 1, &markDim, &markNoteVar), "mark")) {
        nc.text(markNoteVar, "long_name", "note of the event mark");
        nc.text(markNoteVar, "coordinates", "mark_time");
    }

    // Global attributes: the log header's facts and the session's extent.
    const SessionHeader& h = s.header;
    const auto global = [&](const char* key, const QString& value) {
        if (!value.isEmpty())
            nc.text(NC_GLOBAL, key, value.toUtf8());
    };
    global("Conventions", QStringLiteral("CF-1.8"));
    global("title",
           QStringLiteral("Seabed flume session %1").arg(QFileInfo(s.archivePath).fileName()));
    QString station = h.program;
    station.remove(QStringLiteral(" Logging Program"));
    global("station", station.isEmpty() ? QStringLiteral("Corvale II") : station);
    global("station_log_version", h.version);
    global("ph_probe_offset", h.calOffset);
    global("ph_probe_slope", h.calSlope);
    global("ph_probe_serial_number", h.calSerialNumber);
    global("ph_probe_calibration_date", h.calDate);
    global("source",
           QStringLiteral("raw archive %1%2")
               .arg(QFileInfo(s.archivePath).fileName(),
                    s.logPath.isEmpty()
                        ? QString()
                        : QStringLiteral(", log file %1").arg(QFileInfo(s.logPath).fileName())));
    if (s.ctd.size() || !s.log.empty() || !s.marks.isEmpty()) {
        global("time_coverage_start", QString::fromLatin1(UtcText(s.firstMs())));
        global("time_coverage_end", QString::fromLatin1(UtcText(s.lastMs())));
    }
    if (s.damaged > 0)
        global("comment", s.damageReport);
    global("history", history);
    if (nc.ok)
        nc.check(nc_enddef(nc.id), "enddef");

    PutTimes(nc, timeVar, s.ctd.utcMs);
    for (int i = 0; i < ctd.size(); ++i)
        PutQuantity(nc, ctdIds[i], ctd[i]);
    std::vector<qint64> logMs;
    for (const LogRow& r : s.log)
        logMs.push_back(r.utcMs);
    PutTimes(nc, logTimeVar, logMs);
    for (int i = 0; i < log.size(); ++i)
        PutQuantity(nc, logIds[i], log[i]);
    if (!s.marks.isEmpty() && nc.ok) {
        std::vector<qint64> ms;
        std::vector<int> numbers;
        std::vector<QByteArray> notes;
        std::vector<const char*> notePtrs;
        for (const SessionMark& m : s.marks) {
            ms.push_back(m.utcMs);
            numbers.push_back(m.number);
            notes.push_back(m.note.toUtf8());
        }
        for (const QByteArray& n : notes)
            notePtrs.push_back(n.constData());
        PutTimes(nc, markTimeVar, ms);
        const std::size_t start = 0, count = ms.size();
        nc.check(nc_put_vara_int(nc.id, markNumberVar, &start, &count, numbers.data()), "marks");
        nc.check(nc_put_vara_string(nc.id, markNoteVar, &start, &count, notePtrs.data()), "marks");
    }
    const bool written = nc.ok && nc.check(nc_close(nc.id), "close");
    nc.id = -1;
    if (!written)
        QFile::remove(path);
    return written;
}

bool ExportCsv(const Session& s, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2.").arg(path, file.errorString());
        return false;
    }
    file.write("time (UTC),conductivity (S/m),temperature (degC),pressure (dbar),"
               "salinity (PSU),conductivity flag,temperature flag,pressure flag,salinity flag,"
               "mark number,mark note\r\n");
    const CtdRows& r = s.ctd;
    const auto cell = [](double v, double scale = 1) {
        return std::isnan(v) ? QByteArray() : Number(v * scale);
    };
    qsizetype mark = 0;
    QByteArray line;
    for (std::size_t i = 0; i < r.size(); ++i) {
        line = UtcText(r.utcMs[i]);
        line += ',' + cell(r.conductivity[i], 0.1) + ',' + cell(r.temperature[i]) + ',' +
                cell(r.pressure[i]) + ',' + cell(r.salinity[i]);
        for (const QualityFlag f : {r.flag[i], r.flag[i], r.flag[i], r.salinityFlag[i]}) {
            line += ',';
            line += QualityFlagWord(f);
        }
        // Marks go on the row that follows them; those after the last row
        // on the last.
        QStringList numbers, notes;
        while (mark < s.marks.size() && (s.marks[mark].row <= i || i + 1 == r.size())) {
            numbers << QString::number(s.marks[mark].number);
            notes << s.marks[mark].note;
            ++mark;
        }
        line += ',' + CsvText(numbers.join(QLatin1Char(' '))) + ',' +
                CsvText(notes.join(QStringLiteral(" | ")));
        line += "\r\n";
        file.write(line);
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2.").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace corvale
