#include "feed/replaymarks.h"

#include "feed/eventmarks.h"

#include <QElapsedTimer>

namespace corvale {

namespace {
constexpr int kSliceMs = 15; // a turn of the event loop stays within a frame

bool IsWireLine(const ArchiveEntry& e) {
    // The pieces of an endless line are one line on the wire.
    return e.event.source == ArchiveEvent::Source::Ctd && e.event.status != CtdLineStatus::Partial;
}
} // namespace

QDateTime RecordedTime(const ArchiveEntry& e) {
    return QDateTime::fromMSecsSinceEpoch(e.utcMs, Qt::OffsetFromUTC, e.utcOffset);
}

ReplayMarks::ReplayMarks(EventMarks& marks) : target_(marks) {
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, [this] {
        if (!scan(kSliceMs))
            slice_.stop();
    });
}

bool ReplayMarks::open(const QString& path, QString* error) {
    if (!reader_.open(path, error) || !follower_.open(path, error))
        return false;
    // Before the first line the session's time is the archive's first.
    ArchiveEntry e;
    if (follower_.next(e)) {
        recorded_ = RecordedTime(e);
        if (IsWireLine(e))
            followerFirstLine_ = recorded_;
    }
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
        if (IsWireLine(e)) {
            ++archiveLines_;
        } else if (e.event.source == ArchiveEvent::Source::Mark) {
            marks_.append(
                {archiveLines_, e.event.mark, QString::fromUtf8(e.event.data), RecordedTime(e)});
            showDue();
        }
    }
    scanning_ = false;
    emit scanned(reader_.damageReport());
    return false;
}

std::optional<QDateTime> ReplayMarks::followNextLine() {
    if (followerFirstLine_) {
        const QDateTime t = *followerFirstLine_;
        followerFirstLine_.reset();
        return t;
    }
    ArchiveEntry e;
    while (follower_.next(e))
        if (IsWireLine(e))
            return RecordedTime(e);
    return std::nullopt;
}

void ReplayMarks::lineReceived() {
    ++lines_;
    if (const auto t = followNextLine())
        recorded_ = *t;
    showDue();
    emit progressed();
}

void ReplayMarks::showDue() {
    while (next_ < marks_.size() && marks_[next_].linesBefore <= lines_) {
        target_.showReplayed(marks_[next_].number, marks_[next_].note, marks_[next_].time);
        ++next_;
    }
}

} // namespace corvale
