#include "archive/archivereader.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstring>

namespace corvale {

namespace {

const QByteArray kColumnsLine = "time,source,kind,data";
constexpr qint64 kUnixEpochJulianDay = 2440588;
constexpr qint64 kMsPerDay = 86400000;
constexpr qsizetype kChunk = 1 << 20;
// A line longer than this is damage, not an event (the longest the writer
// makes, an escaped 64 KiB piece, is a quarter of it).
constexpr qsizetype kLongestLine = 1 << 20;

// Digits only, exactly `count` of them; -1 otherwise.
int Digits(const char* p, int count) {
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

struct ParsedTime {
    qint64 julianDay = 0;
    int msOfDay = 0;
    std::optional<int> offset; // seconds east of UTC
};

// yyyy-MM-ddTHH:mm:ss.zzz, then nothing, "Z" or +hh:mm / -hh:mm.
std::optional<ParsedTime> ParseTime(const char* p, qsizetype length) {
    if (length != 23 && length != 24 && length != 29)
        return std::nullopt;
    if (p[4] != '-' || p[7] != '-' || p[10] != 'T' || p[13] != ':' || p[16] != ':' || p[19] != '.')
        return std::nullopt;
    const int year = Digits(p, 4), month = Digits(p + 5, 2), day = Digits(p + 8, 2);
    const int hour = Digits(p + 11, 2), minute = Digits(p + 14, 2), second = Digits(p + 17, 2);
    const int ms = Digits(p + 20, 3);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || ms < 0)
        return std::nullopt;
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    ParsedTime t;
    t.julianDay = QDate(year, month, day).toJulianDay();
    t.msOfDay = ((hour * 60 + minute) * 60 + second) * 1000 + ms;
    if (length == 24) {
        if (p[23] != 'Z')
            return std::nullopt;
        t.offset = 0;
    } else if (length == 29) {
        const char sign = p[23];
        const int oh = Digits(p + 24, 2), om = Digits(p + 27, 2);
        if ((sign != '+' && sign != '-') || p[26] != ':' || oh < 0 || om < 0 || oh > 18 || om > 59)
            return std::nullopt;
        t.offset = (sign == '-' ? -1 : 1) * (oh * 3600 + om * 60);
    }
    return t;
}

std::optional<CtdLineStatus> StatusOf(const char* p, qsizetype n) {
    const auto is = [&](const char* word) {
        return static_cast<qsizetype>(std::strlen(word)) == n && std::memcmp(p, word, n) == 0;
    };
    if (is("OK"))
        return CtdLineStatus::Ok;
    if (is("MALFORMED"))
        return CtdLineStatus::Malformed;
    if (is("OVERLONG"))
        return CtdLineStatus::Overlong;
    if (is("PARTIAL"))
        return CtdLineStatus::Partial;
    return std::nullopt;
}

QDateTime DateTimeOf(const ArchiveEntry& e) {
    return e.zoned ? QDateTime::fromMSecsSinceEpoch(e.utcMs, Qt::OffsetFromUTC, e.utcOffset)
                   : QDateTime::fromMSecsSinceEpoch(e.utcMs);
}

} // namespace

int LocalZone::offsetAt(qint64 julianDay, int msOfDay) {
    const auto exact = [&](int ms) {
        return QDateTime(QDate::fromJulianDay(julianDay), QTime::fromMSecsSinceStartOfDay(ms))
            .offsetFromUtc();
    };
    const qint64 key = julianDay * 24 + msOfDay / 3600000;
    if (key != hourKey_) {
        const int hourStart = (msOfDay / 3600000) * 3600000;
        hourKey_ = key;
        startOffset_ = exact(hourStart);
        uniform_ = exact(hourStart + 3599999) == startOffset_;
    }
    return uniform_ ? startOffset_ : exact(msOfDay);
}

std::optional<ArchiveEntry> ParseArchiveEntry(const char* begin, const char* end,
                                              std::optional<int> assumedOffset, LocalZone* zone) {
    if (end > begin && end[-1] == '\n')
        --end;
    const auto comma = [&](const char* from) -> const char* {
        const void* hit = from < end ? std::memchr(from, ',', end - from) : nullptr;
        return static_cast<const char*>(hit);
    };
    const char* a = comma(begin);
    const char* b = a ? comma(a + 1) : nullptr;
    const char* c = b ? comma(b + 1) : nullptr;
    if (!c)
        return std::nullopt;
    const auto time = ParseTime(begin, a - begin);
    if (!time)
        return std::nullopt;
    const QByteArray source = QByteArray::fromRawData(a + 1, b - a - 1);
    const char* kind = b + 1;
    const qsizetype kindLength = c - b - 1;
    const auto data = UnescapeArchiveField(QByteArray::fromRawData(c + 1, end - c - 1));
    if (!data)
        return std::nullopt;

    ArchiveEntry entry;
    ArchiveEvent& e = entry.event;
    e.data = *data;
    if (source == "CTD") {
        const auto status = StatusOf(kind, kindLength);
        if (!status)
            return std::nullopt;
        e.status = *status;
    } else if (source == "DGH") {
        const auto command = UnescapeArchiveField(QByteArray::fromRawData(kind, kindLength));
        if (!command || command->isEmpty())
            return std::nullopt;
        e.source = ArchiveEvent::Source::Dgh;
        e.command = *command;
    } else if (source == "MARK") {
        // Digits only: a sign, blank, NUL or anything after them is damage.
        if (kindLength < 1 || kindLength > 9 || Digits(kind, static_cast<int>(kindLength)) < 0)
            return std::nullopt;
        e.source = ArchiveEvent::Source::Mark;
        e.mark = Digits(kind, static_cast<int>(kindLength));
    } else if (source == "LINK") {
        const QByteArray word(kind, kindLength);
        if (word != "DOWN" && word != "UP")
            return std::nullopt;
        e.source = ArchiveEvent::Source::Link;
        e.command = word;
    } else {
        return std::nullopt;
    }

    entry.zoned = time->offset.has_value();
    if (entry.zoned) {
        entry.utcOffset = *time->offset;
    } else if (assumedOffset) {
        entry.utcOffset = *assumedOffset;
    } else {
        LocalZone own;
        entry.utcOffset = (zone ? zone : &own)->offsetAt(time->julianDay, time->msOfDay);
    }
    entry.utcMs = (time->julianDay - kUnixEpochJulianDay) * kMsPerDay + time->msOfDay -
                  qint64(entry.utcOffset) * 1000;
    return entry;
}

std::optional<ArchiveEvent> ParseArchiveLine(const QByteArray& line) {
    auto entry = ParseArchiveEntry(line.constData(), line.constData() + line.size());
    if (!entry)
        return std::nullopt;
    entry->event.time = DateTimeOf(*entry);
    return std::move(entry->event);
}

ArchiveReader::ArchiveReader() = default;
ArchiveReader::~ArchiveReader() = default;

bool ArchiveReader::open(const QString& path, QString* error) {
    file_.close();
    file_.setFileName(path);
    buffer_.clear();
    pos_ = 0;
    eof_ = false;
    consumed_ = line_ = damaged_ = unzoned_ = 0;
    damagedLines_.clear();
    unfinishedTail_ = false;
    if (!file_.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2.").arg(path, file_.errorString());
        return false;
    }
    size_ = file_.size();
    // The first line decides: the column names, or an event.
    while (buffer_.indexOf('\n') < 0 && buffer_.size() < kLongestLine && fill()) {
    }
    const qsizetype end = buffer_.indexOf('\n');
    const QByteArray first = end < 0 ? buffer_ : buffer_.left(end);
    if (first == kColumnsLine ||
        (end >= 0 && ParseArchiveEntry(first.begin(), first.end(), assumed_, &zone_)))
        return true;
    file_.close();
    if (error)
        *error = QStringLiteral("%1 is not a raw archive of the station: its first line is "
                                "not \"time,source,kind,data\" nor an event.")
                     .arg(path);
    return false;
}

bool ArchiveReader::fill() {
    if (eof_ || !file_.isOpen())
        return false;
    if (pos_ > 0) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    const qsizetype had = buffer_.size();
    buffer_.resize(had + kChunk);
    const qint64 n = file_.read(buffer_.data() + had, kChunk);
    buffer_.resize(had + std::max<qint64>(0, n));
    if (n <= 0)
        eof_ = true;
    return n > 0;
}

bool ArchiveReader::next(ArchiveEntry& entry) {
    for (;;) {
        const char* base = buffer_.constData();
        const void* hit =
            pos_ < buffer_.size() ? std::memchr(base + pos_, '\n', buffer_.size() - pos_) : nullptr;
        if (!hit) {
            if (buffer_.size() - pos_ > kLongestLine) {
                // Damage without line ends: drop it up to the next one.
                consumed_ += buffer_.size() - pos_;
                buffer_.clear();
                pos_ = 0;
                while (fill()) {
                    const qsizetype nl = buffer_.indexOf('\n');
                    if (nl >= 0) {
                        pos_ = nl + 1;
                        consumed_ += pos_;
                        break;
                    }
                    consumed_ += buffer_.size();
                    buffer_.clear();
                }
                ++line_;
                ++damaged_;
                if (damagedLines_.size() < kKeptLineNumbers)
                    damagedLines_ << line_;
                continue;
            }
            if (fill())
                continue;
            unfinishedTail_ = pos_ < buffer_.size();
            return false;
        }
        const char* begin = base + pos_;
        const char* end = static_cast<const char*>(hit) + 1;
        pos_ = end - base;
        consumed_ += end - begin;
        ++line_;
        const qsizetype length = end - begin - 1;
        if (length == kColumnsLine.size() &&
            std::memcmp(begin, kColumnsLine.constData(), length) == 0)
            continue;
        if (auto parsed = ParseArchiveEntry(begin, end, assumed_, &zone_)) {
            entry = std::move(*parsed);
            entry.lineNumber = line_;
            if (!entry.zoned)
                ++unzoned_;
            return true;
        }
        ++damaged_;
        if (damagedLines_.size() < kKeptLineNumbers)
            damagedLines_ << line_;
    }
}

QString ArchiveReader::damageReport() const {
    QString text;
    if (damaged_ > 0) {
        QStringList numbers;
        for (const qint64 n : damagedLines_)
            numbers << QString::number(n);
        const qint64 more = damaged_ - damagedLines_.size();
        QString list;
        if (more > 0)
            list = numbers.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(more);
        else if (numbers.size() == 1)
            list = numbers[0];
        else
            list = numbers.mid(0, numbers.size() - 1).join(QStringLiteral(", ")) +
                   QStringLiteral(" and ") + numbers.last();
        text = damaged_ == 1
                   ? QStringLiteral("Skipped 1 damaged line (line %1).").arg(list)
                   : QStringLiteral("Skipped %1 damaged lines (lines %2).").arg(damaged_).arg(list);
    }
    if (unfinishedTail_) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QStringLiteral("The last line is unfinished and was left out.");
    }
    return text;
}

QList<ArchiveEvent> ArchiveReader::readAll(const QString& path, QString* error) {
    ArchiveReader reader;
    QList<ArchiveEvent> events;
    if (!reader.open(path, error))
        return events;
    ArchiveEntry entry;
    while (reader.next(entry)) {
        entry.event.time = DateTimeOf(entry);
        events << std::move(entry.event);
    }
    return events;
}

} // namespace corvale
