#include "feed/replaymarks.h"

#include "feed/eventmarks.h"

namespace corvale {

ReplayMarks::ReplayMarks(const QList<ArchiveEvent>& events, EventMarks& marks) : target_(marks) {
    for (const ArchiveEvent& e : events) {
        if (!firstTime_.isValid())
            firstTime_ = e.time;
        if (e.source == ArchiveEvent::Source::Ctd) {
            // The pieces of an endless line are one line on the wire.
            if (e.status != CtdLineStatus::Partial)
                lineTimes_.append(e.time);
        } else if (e.source == ArchiveEvent::Source::Mark) {
            marks_.append({lineTimes_.size(), e.mark, QString::fromUtf8(e.data), e.time});
        }
    }
}

void ReplayMarks::lineReceived() {
    ++lines_;
    showDue();
    emit progressed();
}

QDateTime ReplayMarks::recordedTime() const {
    if (lines_ == 0 || lineTimes_.isEmpty())
        return firstTime_;
    return lineTimes_[qsizetype(std::min<qint64>(lines_, lineTimes_.size()) - 1)];
}

void ReplayMarks::showDue() {
    while (next_ < marks_.size() && marks_[next_].linesBefore <= lines_) {
        target_.showReplayed(marks_[next_].number, marks_[next_].note, marks_[next_].time);
        ++next_;
    }
}

} // namespace corvale
