#include "feed/replaymarks.h"

#include "feed/eventmarks.h"

namespace corvale {

ReplayMarks::ReplayMarks(const QList<ArchiveEvent>& events, EventMarks& marks) : target_(marks) {
    qint64 lines = 0;
    for (const ArchiveEvent& e : events) {
        if (e.source == ArchiveEvent::Source::Ctd) {
            // The pieces of an endless line are one line on the wire.
            if (e.status != CtdLineStatus::Partial)
                ++lines;
        } else if (e.source == ArchiveEvent::Source::Mark) {
            marks_.append({lines, e.mark, QString::fromUtf8(e.data)});
        }
    }
}

void ReplayMarks::lineReceived() {
    ++lines_;
    showDue();
}

void ReplayMarks::showDue() {
    while (next_ < marks_.size() && marks_[next_].linesBefore <= lines_) {
        target_.showReplayed(marks_[next_].number, marks_[next_].note);
        ++next_;
    }
}

} // namespace corvale
