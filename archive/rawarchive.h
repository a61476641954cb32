#pragma once
// The raw archive: every line the station received, one event a line, in a
// text file beside the log. The format:
//
//   time,source,kind,data
//   2026-12-08T14:07:09.123+01:00,CTD,OK,47.123,14.502,10.04
//   2026-12-08T14:07:09.160+01:00,CTD,MALFORMED,4#.123,14.502,10.04
//   2026-12-08T14:07:09.402+01:00,DGH,$1RD\r,*+00012.34\r
//   2026-12-08T14:07:10.000+01:00,MARK,3,wave run 3
//   2026-12-08T14:07:11.000+01:00,LINK,DOWN,DGH,Port Not open: Input/output error
//   2026-12-08T14:07:18.000+01:00,LINK,UP,DGH,the device answered again
//
// time is the local date and time of receipt to the millisecond with its
// offset from UTC (archives written before offsets were kept have none; the
// reader, archivereader.h, takes both); source is
// CTD, DGH, MARK or LINK. For CTD, kind is OK, MALFORMED, OVERLONG or PARTIAL and
// data the line's bytes without its line feed. For DGH, kind is the command
// as sent and data the bytes received in its reply window (empty when none
// came). For MARK, kind is the mark's number and data its note (UTF-8).
// For LINK (a line down or back with reconnect on), kind is DOWN or UP and
// data the line, DGH or CTD, a comma and why; no line is filled in for the
// time between.
// Text fields are escaped so that an event is always one line of printable
// ASCII: backslash as \\, CR as \r, LF as \n, tab as \t, the double quote,
// other control bytes and bytes above 126 as \xHH; a comma as \x2C in kind
// (data, the last field, keeps its commas). The first line names the
// columns. A last line without its line feed is an unfinished write and is
// not part of the archive.

#include "archive/ctdline.h"
#include "archive/filesyncer.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>
#include <optional>

namespace corvale {

// The archive kept beside the log file `logPath`: its name plus ".raw.csv".
QString RawArchivePath(const QString& logPath);

// Makes a newly created file's name durable too: syncs its folder.
void SyncFolderOf(const QString& path);

// One event of the archive.
struct ArchiveEvent {
    enum class Source { Ctd, Dgh, Mark, Link };
    QDateTime time;                           // local, to the millisecond
    Source source = Source::Ctd;              //
    CtdLineStatus status = CtdLineStatus::Ok; // Ctd
    QByteArray command;                       // Dgh: the command as sent; Link: DOWN or UP
    QByteArray data; // Ctd line, Dgh reply, Mark note (UTF-8), Link: line,why
    int mark = 0;    // Mark: its number

    bool operator==(const ArchiveEvent&) const = default;
};

// The escaping of a text field; `kindField` also escapes commas.
QByteArray EscapeArchiveField(const QByteArray& bytes, bool kindField = false);
// Undoes EscapeArchiveField; nullopt for a broken escape.
std::optional<QByteArray> UnescapeArchiveField(const QByteArray& text);
// One event as its line, line feed included.
QByteArray FormatArchiveLine(const ArchiveEvent& event);
// One line (with or without its line feed) as an event; nullopt for the
// column names and for anything that is not exactly an event. Defined with
// the reader (archivereader.cpp).
std::optional<ArchiveEvent> ParseArchiveLine(const QByteArray& line);

// Writes the archive. Each event goes to the operating system in one write
// call as it is appended, so a crash of the program never leaves part of
// one; the file is synced no later than a second after its first unsynced
// event, on a thread of its own (see archive/filesyncer.h), so a power cut
// loses at most that second and a slow medium never holds the caller. The
// first failure, of a write or of a sync as soon as it is known, closes the
// archive and is reported once through failed(); the caller's other work
// (the log) goes on.
class RawArchive : public QObject {
    Q_OBJECT
public:
    enum class Mode { Overwrite, Append };
    static constexpr int kSyncIntervalMs = 1000;

    explicit RawArchive(QObject* parent = nullptr);
    ~RawArchive() override;

    // Opens `path`, creating it if missing: Overwrite empties it; Append
    // keeps it, cutting off an unfinished last line a crash left behind.
    // An empty file gets the column names. On failure returns false and
    // sets *error to "Cannot open raw archive <path>: <reason>".
    bool open(const QString& path, Mode mode = Mode::Append, QString* error = nullptr);
    // Syncs and closes; a failing sync is reported through failed().
    void close();
    bool isOpen() const { return fd_ >= 0; }
    QString path() const { return path_; }

    // Each returns false when the archive is not open or the write failed.
    bool appendCtdLine(const QDateTime& time, const QByteArray& line, CtdLineStatus status);
    bool appendBusExchange(const QDateTime& time, const QByteArray& command,
                           const QByteArray& received);
    bool appendMark(const QDateTime& time, int number, const QString& note);
    // line: "DGH" or "CTD".
    bool appendLink(const QDateTime& time, bool up, const QByteArray& line, const QString& why);
    bool append(const ArchiveEvent& event);

    // Syncs now if anything is unsynced, and waits for it.
    bool sync();
    int syncCount() const { return syncer_.syncCount(); }

signals:
    // "Cannot write to raw archive <path>: <reason>", once; the archive is
    // already closed when it is emitted.
    void failed(const QString& message);

private:
    void fail(int err);

    int fd_ = -1;
    QString path_;
    long long size_ = 0; // bytes of whole events in the file
    FileSyncer syncer_;
};

} // namespace corvale
