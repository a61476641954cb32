#pragma once
// Event marks: the operator's "Mark" opens a one-line note; the numbered
// mark goes to both strip charts as a labelled line at its time, to the ship
// feed and to the raw archive while one is kept. The log's records stay as
// they are.

#include "feed/frmmark.h"
#include "feed/markbook.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace corvale {

class Clock;
class RawArchive;
class StationFeed;
class StripChart;

class EventMarks : public QObject {
    Q_OBJECT
public:
    EventMarks(StripChart* phChart, StripChart* ctdChart, StationFeed& feed, RawArchive& archive,
               Clock& clock, QWidget* parentWindow);

    // "Mark": the note window for the next mark, timed now.
    void askForMark();
    frmMark* dialog() const { return dialog_; }
    MarkBook& book() { return book_; }
    // A mark from a replayed archive: on the charts at the present time,
    // with its recorded number and note, and on the feed at its recorded
    // time; it is not archived again.
    void showReplayed(int number, const QString& note, const QDateTime& recordedTime);

private:
    void show(const QDateTime& time, int number, const QString& note);

    StripChart* phChart_;
    StripChart* ctdChart_;
    StationFeed& feed_;
    RawArchive& archive_;
    Clock& clock_;
    QWidget* parentWindow_;
    MarkBook book_;
    QPointer<frmMark> dialog_;
};

} // namespace corvale
