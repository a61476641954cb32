#include "sim/replay.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvale {

void ReplayPacer::start(qint64 nowMs) {
    started_ = true;
    held_ = false;
    startMs_ = nowMs;
}

qint64 ReplayPacer::place(qint64 recordedMs) {
    if (placedAny_) {
        const qint64 gap = std::clamp(recordedMs - lastRecordedMs_, qint64(0), maxGapMs_);
        lastSessionMs_ += gap;
    }
    placedAny_ = true;
    lastRecordedMs_ = recordedMs;
    return lastSessionMs_;
}

std::optional<qint64> ReplayPacer::dueAt(qint64 sessionMs) const {
    if (!started_ || held_)
        return std::nullopt;
    return startMs_ + static_cast<qint64>(std::ceil(static_cast<double>(sessionMs) / speed_));
}

qint64 ReplayPacer::sessionAt(qint64 nowMs) const {
    if (!started_)
        return 0;
    const qint64 at = held_ ? heldAtMs_ : nowMs;
    return std::max<qint64>(0, static_cast<qint64>(static_cast<double>(at - startMs_) * speed_));
}

void ReplayPacer::hold(qint64 nowMs) {
    if (!started_ || held_)
        return;
    held_ = true;
    heldAtMs_ = nowMs;
}

void ReplayPacer::resume(qint64 nowMs) {
    if (!held_)
        return;
    held_ = false;
    startMs_ += nowMs - heldAtMs_;
}

bool ArchiveReplay::open(const QString& path, QString* error) {
    next_.reset();
    ended_ = false;
    return reader_.open(path, error);
}

ArchiveReplay::Placed* ArchiveReplay::peek() {
    if (!next_ && !ended_) {
        ArchiveEntry e;
        if (reader_.next(e)) {
            const qint64 at = pacer_.place(e.utcMs);
            next_ = Placed{std::move(e.event), at};
        } else {
            ended_ = true;
        }
    }
    return next_ ? &*next_ : nullptr;
}

QByteArray ArchiveReplay::key(const QByteArray& command) {
    return command.endsWith('\r') ? command.chopped(1) : command;
}

void ArchiveReplay::advance(qint64 nowMs) {
    while (Placed* p = peek()) {
        const std::optional<qint64> due = pacer_.dueAt(p->sessionMs);
        if (!due || *due > nowMs)
            return;
        const ArchiveEvent& e = p->event;
        switch (e.source) {
        case ArchiveEvent::Source::Ctd:
            dueCtd_ += e.data;
            if (e.status != CtdLineStatus::Partial)
                dueCtd_ += '\n';
            ++ctdSent_;
            break;
        case ArchiveEvent::Source::Dgh:
            replies_.insert(key(e.command), e.data);
            break;
        case ArchiveEvent::Source::Mark:
        case ArchiveEvent::Source::Link: // a recorded outage is a silence
            break;
        }
        next_.reset();
    }
}

QByteArray ArchiveReplay::takeDueCtd(qint64 nowMs) {
    advance(nowMs);
    return std::exchange(dueCtd_, QByteArray());
}

std::optional<qint64> ArchiveReplay::msUntilNext(qint64 nowMs) {
    if (!dueCtd_.isEmpty())
        return 0;
    const Placed* p = peek();
    if (!p)
        return std::nullopt;
    const std::optional<qint64> due = pacer_.dueAt(p->sessionMs);
    if (!due)
        return std::nullopt;
    return std::max<qint64>(0, *due - nowMs);
}

std::optional<QByteArray> ArchiveReplay::replyFor(const QByteArray& command, qint64 nowMs) {
    advance(nowMs);
    const auto it = replies_.constFind(key(command));
    if (it == replies_.constEnd())
        return std::nullopt;
    return *it;
}

bool ArchiveReplay::finished() {
    return !peek() && dueCtd_.isEmpty();
}

} // namespace corvale
