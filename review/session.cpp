#include "review/session.h"

#include "archive/archivereader.h"
#include "bus/readings.h"
#include "core/textnum.h"
#include "ctd/salinity.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace corvale {

namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
constexpr qint64 kUnixEpochJulianDay = 2440588;
constexpr qint64 kMsPerDay = 86400000;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// A field of a record as the station reads it: a number with a period,
// blanks, tabs and a carriage return around it allowed.
std::optional<double> FieldNumber(const char* begin, const char* end) {
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    if (begin == end)
        return std::nullopt;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc() && ptr == end && std::isfinite(value))
        return value;
    // Rarer spellings (a leading "+") go the station's own way.
    return WireTextToNumber(QString::fromLatin1(begin, end - begin));
}

// Conductivity, temperature and pressure of an OK line, rounded as the
// station rounds them; nullopt when the line is not three numbers.
std::optional<std::array<double, 3>> RecordValues(const QByteArray& line) {
    const char* p = line.constData();
    const char* end = p + line.size();
    std::array<double, 3> values{};
    for (int i = 0; i < 3; ++i) {
        const char* comma = i < 2 ? static_cast<const char*>(std::memchr(p, ',', end - p)) : end;
        if (!comma)
            return std::nullopt;
        if (i == 2 && std::memchr(p, ',', end - p))
            return std::nullopt;
        const auto v = FieldNumber(p, comma);
        if (!v)
            return std::nullopt;
        values[i] = RoundHalfEven(*v, i == 2 ? 1 : 3);
        p = comma + 1;
    }
    return values;
}

void AddRow(CtdRows& rows, const ArchiveEntry& e) {
    rows.utcMs.push_back(e.utcMs);
    rows.utcOffset.push_back(e.utcOffset);
    const auto values =
        e.event.status == CtdLineStatus::Ok ? RecordValues(e.event.data) : std::nullopt;
    if (!values) {
        for (auto* column : {&rows.conductivity, &rows.temperature, &rows.pressure, &rows.salinity})
            column->push_back(kUnknown);
        rows.flag.push_back(QualityFlag::MalformedLine);
        rows.salinityFlag.push_back(QualityFlag::MalformedLine);
        return;
    }
    rows.conductivity.push_back((*values)[0]);
    rows.temperature.push_back((*values)[1]);
    rows.pressure.push_back((*values)[2]);
    rows.flag.push_back(QualityFlag::Good);
    if (const auto s = ComputeSalinity((*values)[0], (*values)[1], (*values)[2])) {
        rows.salinity.push_back(*s);
        rows.salinityFlag.push_back(QualityFlag::Good);
    } else {
        // The station keeps its last salinity: what it shows is stale.
        rows.salinity.push_back(kUnknown);
        rows.salinityFlag.push_back(QualityFlag::Stale);
    }
}

void AddSpan(QList<SessionSpan>& spans, SessionSpan::Kind kind, qint64 from, qint64 to,
             qint64 lines) {
    if (!spans.isEmpty() && spans.last().kind == kind && spans.last().toMs >= from) {
        spans.last().toMs = std::max(spans.last().toMs, to);
        spans.last().lines += lines;
        return;
    }
    spans.append({kind, from, to, lines, {}});
}

// Items of a log line: quoted texts (which may hold commas) and bare items.
QStringList LogItems(const QString& line) {
    QStringList items;
    qsizetype i = 0;
    while (i <= line.size()) {
        if (i < line.size() && line[i] == QLatin1Char('"')) {
            // A text runs to the quote that is followed by a comma or the end.
            qsizetype close = i + 1;
            for (;; ++close) {
                close = line.indexOf(QLatin1Char('"'), close);
                if (close < 0 || close + 1 == line.size() || line[close + 1] == QLatin1Char(','))
                    break;
            }
            if (close < 0)
                close = line.size();
            items << line.mid(i + 1, close - i - 1);
            i = close + 2;
        } else {
            qsizetype comma = line.indexOf(QLatin1Char(','), i);
            if (comma < 0)
                comma = line.size();
            items << line.mid(i, comma - i);
            i = comma + 1;
        }
    }
    return items;
}

double NumberOrUnknown(const QString& text) {
    if (text.trimmed().isEmpty())
        return kUnknown;
    if (const auto v = WireTextToNumber(text))
        return *v;
    if (const auto v = TextToNumber(text))
        return *v;
    return kUnknown;
}

double WattsOrUnknown(const QString& reply, double (*watts)(const QString&)) {
    return reply.startsWith(QLatin1Char('*')) ? watts(reply) : kUnknown;
}

QString AfterLabel(const QString& item, const QString& label) {
    return item.startsWith(label) ? item.mid(label.size()) : QString();
}

} // namespace

const char* QualityFlagWord(QualityFlag flag) {
    switch (flag) {
    case QualityFlag::Good:
        return "good";
    case QualityFlag::Stale:
        return "stale";
    case QualityFlag::MalformedLine:
        return "malformed_line";
    case QualityFlag::Outage:
        return "outage";
    }
    return "good";
}

QString OffsetText(int seconds) {
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

qint64 Session::firstMs() const {
    qint64 first = ctd.size() ? ctd.utcMs.front() : std::numeric_limits<qint64>::max();
    if (!log.empty())
        first = std::min(first, log.front().utcMs);
    if (!marks.isEmpty())
        first = std::min(first, marks.front().utcMs);
    return first == std::numeric_limits<qint64>::max() ? 0 : first;
}

qint64 Session::lastMs() const {
    qint64 last = ctd.size() ? ctd.utcMs.back() : std::numeric_limits<qint64>::min();
    if (!log.empty())
        last = std::max(last, log.back().utcMs);
    if (!marks.isEmpty())
        last = std::max(last, marks.back().utcMs);
    return last == std::numeric_limits<qint64>::min() ? 0 : last;
}

QList<SessionSpan> Session::outages(const QString& line) const {
    QList<SessionSpan> out;
    for (const SessionSpan& span : spans)
        if (span.kind == SessionSpan::Kind::Outage && span.line == line)
            out.append(span);
    return out;
}

bool Session::down(const QString& line, qint64 utcMs) const {
    return Within(outages(line), utcMs);
}

QString LogPathOfArchive(const QString& archivePath) {
    const QString suffix = QStringLiteral(".raw.csv");
    return archivePath.endsWith(suffix) ? archivePath.chopped(suffix.size()) : QString();
}

bool LoadSession(const QString& archivePath, const SessionOptions& options, Session& session,
                 QString* error) {
    session = Session();
    session.archivePath = archivePath;
    ArchiveReader reader;
    reader.setAssumedOffset(options.utcOffset);
    if (!reader.open(archivePath, error))
        return false;
    ArchiveEntry e;
    qint64 lastMs = 0;
    bool any = false;
    qint64 damagedBefore = 0;
    qint64 malformedFrom = -1, malformedTo = 0, malformedLines = 0;
    const auto endMalformed = [&] {
        if (malformedLines > 0)
            AddSpan(session.spans, SessionSpan::Kind::Malformed, malformedFrom, malformedTo,
                    malformedLines);
        malformedLines = 0;
    };
    std::optional<qint64> dghDownAt, ctdDownAt; // when each line went down
    while (reader.next(e)) {
        ++session.events;
        if (reader.damaged() != damagedBefore) {
            endMalformed();
            AddSpan(session.spans, SessionSpan::Kind::Damaged, any ? lastMs : e.utcMs, e.utcMs,
                    reader.damaged() - damagedBefore);
            damagedBefore = reader.damaged();
        }
        any = true;
        lastMs = e.utcMs;
        switch (e.event.source) {
        case ArchiveEvent::Source::Ctd:
            // The pieces of an endless line are one line: its last piece is the row.
            if (e.event.status == CtdLineStatus::Partial)
                break;
            AddRow(session.ctd, e);
            if (session.ctd.flag.back() == QualityFlag::MalformedLine) {
                if (malformedLines++ == 0)
                    malformedFrom = e.utcMs;
                malformedTo = e.utcMs;
            } else {
                endMalformed();
            }
            break;
        case ArchiveEvent::Source::Mark:
            session.marks.append({e.utcMs, e.utcOffset, e.event.mark,
                                  QString::fromUtf8(e.event.data), session.ctd.size()});
            break;
        case ArchiveEvent::Source::Link: {
            // The gap shows as no rows, and its stretch is shaded.
            const QByteArray& data = e.event.data;
            const QString line = QString::fromLatin1(data.left(data.indexOf(',')));
            auto& down = line == QLatin1String("CTD") ? ctdDownAt : dghDownAt;
            if (e.event.command == "DOWN" && !down)
                down = e.utcMs;
            else if (e.event.command == "UP" && down) {
                session.spans.append({SessionSpan::Kind::Outage, *down, e.utcMs, 0, line});
                down.reset();
            }
            break;
        }
        case ArchiveEvent::Source::Dgh:
            break;
        }
        if (options.progress && (session.events & 0xffff) == 0 && reader.size() > 0)
            options.progress(double(reader.bytesRead()) / double(reader.size()));
    }
    endMalformed();
    // A line still down when the archive ends was down to its end.
    for (const auto& [line, down] :
         {std::pair{QStringLiteral("DGH"), dghDownAt}, std::pair{QStringLiteral("CTD"), ctdDownAt}})
        if (down)
            session.spans.append({SessionSpan::Kind::Outage, *down, lastMs, 0, line});
    if (reader.damaged() != damagedBefore)
        AddSpan(session.spans, SessionSpan::Kind::Damaged, lastMs, lastMs,
                reader.damaged() - damagedBefore);
    session.damaged = reader.damaged();
    session.damageReport = reader.damageReport();
    session.unzoned = reader.unzoned();
    if (session.unzoned > 0) {
        const QString how =
            options.utcOffset ? QStringLiteral("read as UTC%1").arg(OffsetText(*options.utcOffset))
                              : QStringLiteral("read in this machine's time zone (%1) at each time")
                                    .arg(QString::fromUtf8(QTimeZone::systemTimeZoneId()));
        session.zoneNote =
            QStringLiteral("%1 of %2 archive lines carry no UTC offset; they were %3.")
                .arg(session.unzoned)
                .arg(session.events)
                .arg(how);
    }

    const QString logPath = LogPathOfArchive(archivePath);
    if (!logPath.isEmpty() && QFileInfo(logPath).isFile()) {
        // The log's own times have no zone: an archive that has its offsets
        // lends them, else the caller's choice or the machine's zone.
        std::optional<int> offset = options.utcOffset;
        if (!offset && session.unzoned == 0 && session.ctd.size())
            offset = session.ctd.utcOffset.front();
        if (ReadSessionLog(logPath, offset, session))
            session.logPath = logPath;
    }
    if (options.progress)
        options.progress(1.0);
    return true;
}

bool ReadSessionLog(const QString& path, std::optional<int> utcOffset, Session& session) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    LocalZone zone;
    qint64 day = -1; // julian day of the record at hand
    int lastMsOfDay = -1;
    while (!file.atEnd()) {
        QString line = QString::fromLatin1(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList items = LogItems(line);
        if (items.size() == 2 && items[0] == QLatin1String("Corvale II Logging Program")) {
            // A new logging run: its date starts the day count again.
            const QString date = items[1];
            const QDate d = QDate::fromString(date.mid(1, 10), QStringLiteral("yyyy-MM-dd"));
            session.header = SessionHeader();
            session.header.program = items[0];
            session.header.logDate = date.mid(1, 10);
            day = d.isValid() ? d.toJulianDay() : -1;
            lastMsOfDay = -1;
            continue;
        }
        if (items.size() == 1) {
            const QString& t = items[0];
            auto& h = session.header;
            for (const auto& [label, field] :
                 {std::pair{QStringLiteral("Version: "), &h.version},
                  std::pair{QStringLiteral("pH Probe Offset: "), &h.calOffset},
                  std::pair{QStringLiteral("pH Probe Slope: "), &h.calSlope},
                  std::pair{QStringLiteral("pH Probe Serial Number: "), &h.calSerialNumber},
                  std::pair{QStringLiteral("pH Probe Calibration Date: "), &h.calDate},
                  std::pair{QStringLiteral("Log File: "), &h.logFile}}) {
                if (t.startsWith(label))
                    *field = AfterLabel(t, label);
            }
            continue;
        }
        if (items.size() != 12 || day < 0)
            continue;
        // h:m:s with the regional time separator.
        const QStringList hms = items[0].split(QRegularExpression(QStringLiteral("\\D+")));
        bool okH = false, okM = false, okS = false;
        const int h = hms.value(0).toInt(&okH), m = hms.value(1).toInt(&okM),
                  s = hms.value(2).toInt(&okS);
        if (hms.size() != 3 || !okH || !okM || !okS || h > 23 || m > 59 || s > 59)
            continue;
        const int msOfDay = ((h * 60 + m) * 60 + s) * 1000;
        if (msOfDay < lastMsOfDay)
            ++day; // past midnight
        lastMsOfDay = msOfDay;
        LogRow row;
        row.utcOffset = utcOffset ? *utcOffset : zone.offsetAt(day, msOfDay);
        row.utcMs =
            (day - kUnixEpochJulianDay) * kMsPerDay + msOfDay - qint64(row.utcOffset) * 1000;
        row.phMilliVolts = NumberOrUnknown(items[1]);
        row.ph = NumberOrUnknown(items[2]);
        row.thrusterRpm = NumberOrUnknown(items[3]);
        row.waveRpm = NumberOrUnknown(items[4]);
        row.thrusterWatts = WattsOrUnknown(items[9], &ThrusterWatts);
        row.waveWatts = WattsOrUnknown(items[10], &WaveWatts);
        row.profilerWatts = WattsOrUnknown(items[11], &ProfilerWatts);
        session.log.push_back(row);
    }
    return true;
}

} // namespace corvale
