#pragma once
// The event marks of a raw archive, shown again while the archive is
// replayed through the simulator: each mark is placed on the charts when
// the CTD line has delivered as many lines as the archive held before it,
// so it lands among the same records as it did in the session.

#include "logging/rawarchive.h"

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

private:
    struct Pending {
        qint64 linesBefore;
        int number;
        QString note;
    };
    void showDue();

    EventMarks& target_;
    QList<Pending> marks_;
    qsizetype next_ = 0;
    qint64 lines_ = 0;
};

} // namespace corvale
