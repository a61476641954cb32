#pragma once
// The one reader of the raw archive (format in rawarchive.h), used by the
// review window, the export, the simulator's replay and the station's
// --marks. It reads the file in one pass, a chunk at a time, and holds no
// more of it than the line at hand.
//
// Strict: a line whose time, source, kind or escapes do not parse exactly is
// a damaged line. It is counted, its line number kept, and it is never
// handed out, so no event gets a made-up time. A time carries its UTC offset
// ("2026-12-08T14:07:09.123+01:00", or "Z") or none (archives written before
// offsets were kept); a time without one is read in a zone the caller gives,
// else in the machine's zone at that time.

#include "archive/rawarchive.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace corvale {

// One event as the reader hands it out. event.time is left null by next()
// (building a date-time per line is most of a long archive's reading time);
// readAll() and ParseArchiveLine() fill it.
struct ArchiveEntry {
    ArchiveEvent event;
    qint64 utcMs = 0;      // the instant, ms since 1970-01-01 UTC
    int utcOffset = 0;     // seconds east of UTC: carried, or as assumed
    bool zoned = false;    // the line carried its offset
    qint64 lineNumber = 0; // 1 is the column names
};

// Local wall-clock time to UTC in the machine's zone, remembered per hour.
class LocalZone {
public:
    // The offset (seconds east of UTC) in force at a local date and time.
    int offsetAt(qint64 julianDay, int msOfDay);

private:
    qint64 hourKey_ = -1;
    int startOffset_ = 0;
    bool uniform_ = false; // the same offset all through that hour
};

// Parses one line (with or without its line feed). nullopt for the column
// names and for anything that is not exactly an event. `assumedOffset`
// places a time without an offset; none: the machine's zone.
std::optional<ArchiveEntry> ParseArchiveEntry(const char* begin, const char* end,
                                              std::optional<int> assumedOffset = std::nullopt,
                                              LocalZone* zone = nullptr);

class ArchiveReader {
public:
    static constexpr int kKeptLineNumbers = 100;

    ArchiveReader();
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Places times without an offset at this many seconds east of UTC.
    void setAssumedOffset(std::optional<int> seconds) { assumed_ = seconds; }

    // Opens and checks that the file is an archive: its first line is the
    // column names or an event. Otherwise false with *error one sentence:
    // "Cannot read <path>: <reason>." or "<path> is not a raw archive ...".
    bool open(const QString& path, QString* error = nullptr);
    // The next whole event; false at the end of the file.
    bool next(ArchiveEntry& entry);

    qint64 damaged() const { return damaged_; }
    // Line numbers (1 = the first line) of the first damaged lines.
    const QList<qint64>& damagedLines() const { return damagedLines_; }
    // A last line without its line feed (an unfinished write): not read.
    bool unfinishedTail() const { return unfinishedTail_; }
    // Events read whose time carried no offset.
    qint64 unzoned() const { return unzoned_; }
    qint64 bytesRead() const { return consumed_; }
    qint64 size() const { return size_; }
    // "" when nothing was skipped; else one sentence: "Skipped 3 damaged
    // lines (lines 5, 9 and 12)." with an unfinished last line added.
    QString damageReport() const;

    // The whole archive at once, times filled, for tests and small files.
    static QList<ArchiveEvent> readAll(const QString& path, QString* error = nullptr);

private:
    bool fill();

    QFile file_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool eof_ = false;
    qint64 consumed_ = 0;
    qint64 size_ = 0;
    qint64 line_ = 0;
    qint64 damaged_ = 0;
    qint64 unzoned_ = 0;
    QList<qint64> damagedLines_;
    bool unfinishedTail_ = false;
    std::optional<int> assumed_;
    LocalZone zone_;
};

} // namespace corvale
