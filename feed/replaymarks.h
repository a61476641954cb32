#pragma once
// The event marks of a raw archive, shown again while the archive is
// replayed through the simulator: each mark is placed on the charts when
// the CTD line has delivered as many lines as the archive held before it,
// so it lands among the same records as it did in the session.
//
// The archive is read in one pass, a slice per turn of the event loop, so a
// day-long archive neither holds the window's first paint nor stays in
// memory: only its marks are kept.

#include "logging/archivereader.h"

#include <QList>
#include <QObject>
#include <QTimer>

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

signals:
    // The whole archive has been read; `damage` is the reader's report of
    // what it skipped ("" when nothing).
    void scanned(const QString& damage);

private:
    struct Pending {
        qint64 linesBefore;
        int number;
        QString note;
    };
    // Reads for at most `budgetMs`; false when the archive has ended.
    bool scan(int budgetMs);
    void showDue();

    EventMarks& target_;
    ArchiveReader reader_;
    QTimer slice_;
    bool scanning_ = false;
    qint64 archiveLines_ = 0;
    QList<Pending> marks_;
    qsizetype next_ = 0;
    qint64 lines_ = 0;
};

} // namespace corvale
