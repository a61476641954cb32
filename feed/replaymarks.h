#pragma once
// A raw archive replayed through the simulator, as the station follows it:
// each event mark is placed on the charts when the CTD line has delivered
// as many lines as the archive held before it, so it lands among the same
// records as it did in the session; the recorded time of the line last
// delivered is the session's time; and the replay has ended once every
// recorded line has come.

#include "logging/rawarchive.h"

#include <QDateTime>
#include <QList>
#include <QObject>

namespace corvale {

class EventMarks;

class ReplayMarks : public QObject {
    Q_OBJECT
public:
    ReplayMarks(const QList<ArchiveEvent>& events, EventMarks& marks);

    // One CTD line received (any kind, as the archive counts them).
    void lineReceived();
    int pending() const { return static_cast<int>(marks_.size() - next_); }

    // The recorded time of the last line delivered; before the first, the
    // archive's first time.
    QDateTime recordedTime() const;
    qint64 linesReceived() const { return lines_; }
    qint64 linesRecorded() const { return lineTimes_.size(); }
    bool ended() const { return lines_ >= lineTimes_.size(); }

signals:
    // After each line; ended() tells whether it was the last recorded one.
    void progressed();

private:
    struct Pending {
        qint64 linesBefore;
        int number;
        QString note;
        QDateTime time;
    };
    void showDue();

    EventMarks& target_;
    QList<Pending> marks_;
    QList<QDateTime> lineTimes_;
    QDateTime firstTime_;
    qsizetype next_ = 0;
    qint64 lines_ = 0;
};

} // namespace corvale
