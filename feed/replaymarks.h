#pragma once
// A raw archive replayed through the simulator, as the station follows it:
// each event mark is placed on the charts when the CTD line has delivered
// as many lines as the archive held before it, so it lands among the same
// records as it did in the session; the recorded time of the line last
// delivered is the session's time; and the replay has ended once every
// recorded line has come.
//
// The archive is read in one pass, a slice per turn of the event loop, so a
// day-long archive neither holds the window's first paint nor stays in
// memory: only its marks and its count of lines are kept. A second reader
// follows the replay line by line for the recorded times.

#include "archive/archivereader.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimer>
#include <optional>

namespace corvale {

class EventMarks;

class ReplayMarks : public QObject {
    Q_OBJECT
public:
    explicit ReplayMarks(EventMarks& marks);

    // Opens the archive and reads its first slice at once (a short archive
    // whole); the rest follows from the event loop. False with *error when
    // the file cannot be read or is not an archive.
    bool open(const QString& path, QString* error = nullptr);
    bool scanning() const { return scanning_; }
    // Reads the rest now.
    void finishScan();

    // One CTD line received (any kind, as the archive counts them).
    void lineReceived();
    int pending() const { return static_cast<int>(marks_.size() - next_); }

    // The recorded time of the last line delivered; before the first, the
    // archive's first time.
    QDateTime recordedTime() const { return recorded_; }
    qint64 linesReceived() const { return lines_; }
    // The archive's CTD lines (so far, while it is still being read).
    qint64 linesRecorded() const { return archiveLines_; }
    bool ended() const { return !scanning_ && lines_ >= archiveLines_; }

signals:
    // The whole archive has been read; `damage` is the reader's report of
    // what it skipped ("" when nothing).
    void scanned(const QString& damage);
    // After each line; ended() tells whether it was the last recorded one.
    void progressed();

private:
    struct Pending {
        qint64 linesBefore;
        int number;
        QString note;
        QDateTime time;
    };
    // Reads for at most `budgetMs`; false when the archive has ended.
    bool scan(int budgetMs);
    // The follower's next CTD line (as the archive counts them), if any.
    std::optional<QDateTime> followNextLine();
    void showDue();

    EventMarks& target_;
    ArchiveReader reader_;
    ArchiveReader follower_;
    std::optional<QDateTime> followerFirstLine_;
    QTimer slice_;
    bool scanning_ = false;
    qint64 archiveLines_ = 0;
    QList<Pending> marks_;
    QDateTime recorded_;
    qsizetype next_ = 0;
    qint64 lines_ = 0;
};

// An archive entry's time as it was recorded: its wall-clock time at its
// UTC offset.
QDateTime RecordedTime(const ArchiveEntry& e);

} // namespace corvale
