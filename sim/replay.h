#pragma once
// Replay of a raw archive: its CTD lines at their recorded pace, and the
// modules' recorded replies to answer the bus with. Times are passed in as
// milliseconds of the caller's clock, so the pacing runs against any clock.

#include "archive/archivereader.h"

#include <QByteArray>
#include <QHash>
#include <optional>

namespace corvale {

// Maps the archive's recorded times onto the replay clock. Events are placed
// in archive order; a pause longer than maxGapMs between two of them (an
// archive appended over several sessions) is shortened to maxGapMs, and a
// recorded time that goes back (a clock set back) counts as no pause.
class ReplayPacer {
public:
    explicit ReplayPacer(double speed = 1.0, qint64 maxGapMs = 5000)
        : speed_(speed), maxGapMs_(maxGapMs) {}

    // Session time 0 is now.
    void start(qint64 nowMs);
    bool started() const { return started_; }
    // The session time of the next event in archive order, recorded at
    // recordedMs (ms since the epoch); the first event is at 0.
    qint64 place(qint64 recordedMs);
    // When an event at `sessionMs` is due on the clock; nullopt while held
    // or before the start.
    std::optional<qint64> dueAt(qint64 sessionMs) const;
    // The session time the clock shows at nowMs (frozen while held, 0
    // before the start).
    qint64 sessionAt(qint64 nowMs) const;
    // Holding stops the session time; resuming goes on from where it stood.
    void hold(qint64 nowMs);
    void resume(qint64 nowMs);
    bool held() const { return held_; }

private:
    double speed_;
    qint64 maxGapMs_;
    bool started_ = false;
    bool held_ = false;
    qint64 startMs_ = 0; // clock time of session time 0
    qint64 heldAtMs_ = 0;
    bool placedAny_ = false;
    qint64 lastRecordedMs_ = 0;
    qint64 lastSessionMs_ = 0;
};

// Walks an archive in step with a pacer: hands out the CTD bytes that are
// due, and remembers each command's latest recorded reply up to now.
class ArchiveReplay {
public:
    explicit ArchiveReplay(double speed = 1.0) : pacer_(speed) {}

    bool open(const QString& path, QString* error = nullptr);
    void start(qint64 nowMs) { pacer_.start(nowMs); }
    ReplayPacer& pacer() { return pacer_; }

    // The CTD bytes due by nowMs, in order: each line with its line feed (a
    // PARTIAL piece without). Counts the lines handed out.
    QByteArray takeDueCtd(qint64 nowMs);
    // Time from nowMs until the next event is due: 0 when one is due,
    // nullopt when none is left or the pacer holds.
    std::optional<qint64> msUntilNext(qint64 nowMs);
    // The recorded reply (possibly empty: the module was silent) of the
    // latest recording of `command` (its carriage return optional) at or
    // before the session time of nowMs; nullopt when there is none.
    std::optional<QByteArray> replyFor(const QByteArray& command, qint64 nowMs);

    // Every event consumed and every CTD line handed out.
    bool finished();
    int ctdSent() const { return ctdSent_; }
    qint64 skipped() const { return reader_.damaged(); }

private:
    struct Placed {
        ArchiveEvent event;
        qint64 sessionMs = 0;
    };
    // The next unconsumed event, read and placed on first need.
    Placed* peek();
    // Consumes every event due by the session time of nowMs.
    void advance(qint64 nowMs);
    static QByteArray key(const QByteArray& command);

    ReplayPacer pacer_;
    ArchiveReader reader_;
    std::optional<Placed> next_;
    bool ended_ = false;
    QByteArray dueCtd_;
    QHash<QByteArray, QByteArray> replies_;
    int ctdSent_ = 0;
};

} // namespace corvale
