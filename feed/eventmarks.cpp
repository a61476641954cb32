#include "feed/eventmarks.h"

#include "archive/rawarchive.h"
#include "core/clock.h"
#include "core/textnum.h"
#include "feed/frmmark.h"
#include "feed/stationfeed.h"
#include "widgets/stripchart.h"

namespace corvale {

EventMarks::EventMarks(StripChart* phChart, StripChart* ctdChart, StationFeed& feed,
                       RawArchive& archive, Clock& clock, QWidget* parentWindow)
    : phChart_(phChart), ctdChart_(ctdChart), feed_(feed), archive_(archive), clock_(clock),
      parentWindow_(parentWindow) {
    connect(&book_, &MarkBook::marked, this, &EventMarks::show);
}

void EventMarks::askForMark() {
    if (!dialog_) {
        dialog_ = new frmMark(parentWindow_);
        connect(dialog_, &frmMark::noted, this,
                [this](const QDateTime& time, const QString& note) { book_.mark(time, note); });
    }
    dialog_->begin(clock_.now(), book_.nextNumber());
}

void EventMarks::showReplayed(int number, const QString& note, const QDateTime& recordedTime) {
    const QString label = MarkLabel(number, note);
    const double x = DayFraction(clock_.now().time());
    phChart_->addMark(x, label);
    ctdChart_->addMark(x, label);
    feed_.replayedMark(recordedTime, number, note);
}

void EventMarks::show(const QDateTime& time, int number, const QString& note) {
    const QString label = MarkLabel(number, note);
    const double x = DayFraction(time.time());
    phChart_->addMark(x, label);
    ctdChart_->addMark(x, label);
    feed_.mark(time, number, note);
    if (archive_.isOpen())
        archive_.appendMark(time, number, note);
}

} // namespace corvale
