#include "feed/replaymarks.h"

#include "feed/eventmarks.h"

#include <QElapsedTimer>

namespace corvale {

namespace {
constexpr int kSliceMs = 15; // a turn of the event loop stays within a frame
}

ReplayMarks::ReplayMarks(EventMarks& marks) : target_(marks) {
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, [this] {
        if (!scan(kSliceMs))
            slice_.stop();
    });
}

bool ReplayMarks::open(const QString& path, QString* error) {
    if (!reader_.open(path, error))
        return false;
    scanning_ = true;
    if (scan(kSliceMs))
        slice_.start();
    return true;
}

void ReplayMarks::finishScan() {
    slice_.stop();
    while (scan(1000)) {
    }
}

bool ReplayMarks::scan(int budgetMs) {
    if (!scanning_)
        return false;
    QElapsedTimer spent;
    spent.start();
    ArchiveEntry e;
    for (int n = 0;; ++n) {
        if ((n & 1023) == 1023 && spent.elapsed() >= budgetMs)
            return true;
        if (!reader_.next(e))
            break;
        if (e.event.source == ArchiveEvent::Source::Ctd) {
            // The pieces of an endless line are one line on the wire.
            if (e.event.status != CtdLineStatus::Partial)
                ++archiveLines_;
        } else if (e.event.source == ArchiveEvent::Source::Mark) {
            marks_.append({archiveLines_, e.event.mark, QString::fromUtf8(e.event.data)});
            showDue();
        }
    }
    scanning_ = false;
    emit scanned(reader_.damageReport());
    return false;
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
