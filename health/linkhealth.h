#pragma once
// LinkHealth: how live the station's two sources are, without widgets. It
// hears every bus exchange and the bus session's state, and every line of
// the CTD stream, and keeps the counters of the link health view and the
// ages that decide whether a reading is still live:
//   - a bus reading is live while the bus is open and its module answered
//     validly in its last exchange;
//   - the CTD readings are live while the last record is no older than
//     three times the recent interval between records (3 s while that
//     interval is not known yet).
// Bus counters start afresh each time the session opens the bus; CTD
// counters each time the CTD line is opened.

#include "bus/bussession.h"
#include "ctd/ctdrecord.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <cstdint>
#include <deque>
#include <optional>

namespace corvale {

class Clock;

struct ModuleHealth {
    int sent = 0;
    int valid = 0;
    int timeouts = 0; // nothing came back in the reply window
    int invalid = 0;  // something came back, but not a valid reply
    int stray = 0;    // a whole reply and then another in one window
    int retries = 0;  // tries after a first try without a valid reply
    bool lastValid = false;
    std::optional<std::int32_t> lastValidTick;
    QDateTime lastValidTime;
};

// A line down with reconnect on, from the moment it went down until it was
// back; `end` is null while it lasts.
struct LinkOutage {
    QString line; // "DGH bus" or "CTD line"
    QString reason;
    QDateTime start;
    QDateTime end;
};

class LinkHealth : public QObject {
    Q_OBJECT
public:
    // Stale after this long without a record while the record interval is
    // unknown; and never sooner than kCtdMinStaleMs, as lines may arrive in
    // bursts from the port.
    static constexpr int kCtdUnknownStaleMs = 3000;
    static constexpr int kCtdMinStaleMs = 250;

    LinkHealth(BusSession& bus, Clock& clock, QObject* parent = nullptr);

    // Inputs (the session's signals are connected by the constructor).
    void busExchange(const BusExchange& exchange);
    void ctdLine(const QByteArray& line, CtdLineStatus status);
    void resetBus();
    void resetCtd();
    // The CTD line went down and came back (reconnect on).
    void ctdLineDown(const QString& reason);
    void ctdLineUp();

    // The bus.
    BusSession::State busState() const { return bus_.state(); }
    QString busDevice() const;
    bool busOpen() const;
    int commandsSent() const { return sent_; }
    int validReplies() const { return valid_; }
    int timeouts() const { return timeouts_; }
    int invalidReplies() const { return invalid_; }
    int strayReplies() const { return stray_; }
    int retries() const { return retries_; }
    // The retries a command gets now (the Faults setting).
    int retriesAllowed() const { return bus_.link().retries(); }
    bool reconnect() const { return bus_.reconnect(); }
    // Every outage of this run, oldest first, and the ones still open.
    static constexpr int kOutagesKept = 200;
    const std::deque<LinkOutage>& outages() const { return outages_; }
    bool busDown() const { return bus_.state() == BusSession::State::Down; }
    bool ctdDown() const { return ctdDown_; }
    // "5.2 s", "3 min 4 s": how long it lasted, or has lasted so far.
    QString outageLengthText(const LinkOutage& outage) const;
    // How late the reply windows were drained after their 35 ms: the worst,
    // and how many drains came more than kLateDrainMs late.
    static constexpr int kLateDrainMs = 5;
    int worstDrainLateMs() const { return worstLateMs_; }
    int lateDrains() const { return lateDrains_; }
    // By module address ('9', 'A', ...), in address order.
    const QMap<QChar, ModuleHealth>& modules() const { return modules_; }
    ModuleHealth module(QChar address) const { return modules_.value(address); }
    bool moduleLive(QChar address) const;
    std::optional<qint64> moduleAgeMs(QChar address) const;

    // The CTD line.
    int ctdRecords() const { return records_; }
    int ctdMalformed() const { return malformed_; }
    int ctdOverlong() const { return overlong_; }
    double ctdRecordsPerSecond() const;
    bool ctdLive() const;
    int ctdStaleAfterMs() const;
    std::optional<qint64> ctdRecordAgeMs() const;
    QDateTime ctdLastRecordTime() const { return lastRecordTime_; }

    // "Bus ok · CTD 24/s", "Bus: 2 timeouts · CTD stale", "Bus down: <why>
    // · CTD 24/s" ...
    QString summary() const;
    // "Last read 14:07:09, 12 s ago"; "Not read yet" without a time.
    static QString AgeText(const QDateTime& last, std::optional<qint64> ageMs);

signals:
    // Any input arrived (an exchange, a CTD line, a state change).
    void changed();

private:
    qint64 since(std::int32_t tick) const;
    void outageStarts(const QString& line, const QString& reason);
    void outageEnds(const QString& line);

    BusSession& bus_;
    Clock& clock_;
    bool lost_ = false;
    int sent_ = 0;
    int valid_ = 0;
    int timeouts_ = 0;
    int invalid_ = 0;
    int stray_ = 0;
    int retries_ = 0;
    int worstLateMs_ = 0;
    int lateDrains_ = 0;
    QMap<QChar, ModuleHealth> modules_;

    int records_ = 0;
    int malformed_ = 0;
    int overlong_ = 0;
    std::optional<std::int32_t> lastRecordTick_;
    QDateTime lastRecordTime_;
    std::deque<std::int32_t> recentTicks_; // record ticks of the last few seconds
    std::deque<std::int32_t> intervals_;   // the last few intervals between records
    bool ctdDown_ = false;
    QString ctdDownReason_;
    std::deque<LinkOutage> outages_;
};

} // namespace corvale
