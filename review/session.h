#pragma once
// A recorded session read back for review and export: every CTD line of
// its raw archive as one row, the readings of its log file (the archive's
// name without ".raw.csv", when it is there), its marks, and the stretches
// where the archive has damage or the CTD line sent no record. Times are
// instants (ms since 1970-01-01 UTC), each with the UTC offset of the
// station's clock at that moment for showing local time.

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace corvale {

// One quality flag per value, as CF's flag_values / flag_meanings.
enum class QualityFlag : std::int8_t { Good = 0, Stale = 1, MalformedLine = 2, Outage = 3 };
inline constexpr const char* kQualityFlagMeanings = "good stale malformed_line outage";
const char* QualityFlagWord(QualityFlag flag);

// The CTD rows, column by column; NaN where a value is not known.
struct CtdRows {
    std::vector<qint64> utcMs;
    std::vector<int> utcOffset;            // seconds east of UTC
    std::vector<double> conductivity;      // mS/cm, as the station rounds it
    std::vector<double> temperature;       // degrees Celsius
    std::vector<double> pressure;          // dbar
    std::vector<double> salinity;          // PSS-78
    std::vector<QualityFlag> flag;         // conductivity, temperature, pressure
    std::vector<QualityFlag> salinityFlag; // stale: not computable from the row
    std::size_t size() const { return utcMs.size(); }
};

// One record of the log file; NaN where the record holds no reading.
struct LogRow {
    qint64 utcMs = 0;
    int utcOffset = 0;
    double phMilliVolts, ph, thrusterRpm, waveRpm, thrusterWatts, waveWatts, profilerWatts;
};

struct SessionMark {
    qint64 utcMs = 0;
    int utcOffset = 0;
    int number = 0;
    QString note;
    std::size_t row = 0; // the first CTD row after it
};

// A stretch to shade: damaged archive lines lie between two events, a run
// of malformed CTD lines between its first and last, an outage between a
// line's LINK DOWN and its LINK UP (or the session's end).
struct SessionSpan {
    enum class Kind { Malformed, Damaged, Outage };
    Kind kind = Kind::Malformed;
    qint64 fromMs = 0;
    qint64 toMs = 0;
    qint64 lines = 0;
    QString line; // Outage: "DGH" or "CTD"
};

// The log header's facts, as written.
struct SessionHeader {
    QString program; // "Corvale II Logging Program"
    QString version; // "1.0"
    QString logDate; // "2026-12-08"
    QString calOffset, calSlope, calSerialNumber, calDate;
    QString logFile;
};

struct Session {
    QString archivePath;
    QString logPath; // empty: no log beside the archive
    CtdRows ctd;
    std::vector<LogRow> log;
    QList<SessionMark> marks;
    QList<SessionSpan> spans;
    SessionHeader header;
    qint64 events = 0;
    qint64 damaged = 0;
    QString damageReport; // the reader's, "" when nothing was skipped
    qint64 unzoned = 0;   // archive lines without their UTC offset
    // How times without an offset were placed, "" when every line had one.
    QString zoneNote;
    qint64 firstMs() const;
    qint64 lastMs() const;
    // The outages of `line` ("DGH" or "CTD"), and whether it was down at
    // this instant.
    QList<SessionSpan> outages(const QString& line) const;
    bool down(const QString& line, qint64 utcMs) const;
};

// Whether the instant lies in one of the spans (ends included).
inline bool Within(const QList<SessionSpan>& spans, qint64 utcMs) {
    for (const SessionSpan& span : spans)
        if (span.fromMs <= utcMs && utcMs <= span.toMs)
            return true;
    return false;
}

struct SessionOptions {
    // Places archive and log times that carry no offset; none: the
    // machine's zone at each time.
    std::optional<int> utcOffset;
    // Called now and then with the share read (0..1).
    std::function<void(double)> progress;
};

// Reads the archive at `archivePath` and the log beside it. False with
// *error (one sentence) when the archive cannot be read or is not one.
bool LoadSession(const QString& archivePath, const SessionOptions& options, Session& session,
                 QString* error = nullptr);

// The log file beside an archive: "run.csv" for "run.csv.raw.csv".
QString LogPathOfArchive(const QString& archivePath);

// Reads a log file's records onto `session.log` and its last header onto
// `session.header`. Its times carry no date or zone: the date is the
// header's, a time earlier than the one before starts the next day, and the
// offset is `utcOffset` or, when none, the machine's zone.
bool ReadSessionLog(const QString& path, std::optional<int> utcOffset, Session& session);

// "+01:00" for 3600.
QString OffsetText(int seconds);

} // namespace corvale
