#include "health/linkhealth.h"

#include "bus/dghlink.h"
#include "core/clock.h"

#include <algorithm>
#include <cmath>

namespace corvale {

namespace {
const QString kBusLine = QStringLiteral("DGH bus");
const QString kCtdLine = QStringLiteral("CTD line");
// Rate window and the number of intervals the stale time is taken from.
constexpr qint64 kRateWindowMs = 5000;
constexpr size_t kRateTicksMax = 4096;
constexpr size_t kIntervalsKept = 8;
} // namespace

LinkHealth::LinkHealth(BusSession& bus, Clock& clock, QObject* parent)
    : QObject(parent), bus_(bus), clock_(clock) {
    setObjectName(QStringLiteral("linkHealth"));
    connect(&bus_, &BusSession::exchanged, this, &LinkHealth::busExchange);
    connect(&bus_, &BusSession::stateChanged, this, [this](BusSession::State state) {
        // A session opened from the port dialog starts its counters afresh;
        // a line that came back goes on counting.
        if (state == BusSession::State::Running && !bus_.resuming())
            resetBus();
        else
            emit changed();
    });
    connect(&bus_, &BusSession::portLost, this, [this] {
        lost_ = true;
        emit changed();
    });
    connect(&bus_, &BusSession::lineDown, this,
            [this](const QString& reason) { outageStarts(kBusLine, reason); });
    connect(&bus_, &BusSession::lineUp, this, [this] {
        lost_ = false;
        outageEnds(kBusLine);
    });
}

void LinkHealth::ctdLineDown(const QString& reason) {
    ctdDown_ = true;
    ctdDownReason_ = reason;
    outageStarts(kCtdLine, reason);
}

void LinkHealth::ctdLineUp() {
    ctdDown_ = false;
    outageEnds(kCtdLine);
}

void LinkHealth::outageStarts(const QString& line, const QString& reason) {
    outages_.push_back(LinkOutage{line, reason, clock_.now(), {}});
    while (outages_.size() > size_t(kOutagesKept))
        outages_.pop_front();
    emit changed();
}

void LinkHealth::outageEnds(const QString& line) {
    for (auto it = outages_.rbegin(); it != outages_.rend(); ++it) {
        if (it->line == line && !it->end.isValid()) {
            it->end = clock_.now();
            break;
        }
    }
    emit changed();
}

QString LinkHealth::outageLengthText(const LinkOutage& outage) const {
    const QDateTime end = outage.end.isValid() ? outage.end : clock_.now();
    const qint64 ms = std::max<qint64>(0, outage.start.msecsTo(end));
    if (ms < 60000)
        return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
    const qint64 s = ms / 1000;
    if (s < 3600)
        return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
    return QStringLiteral("%1 h %2 min").arg(s / 3600).arg((s / 60) % 60);
}

void LinkHealth::resetBus() {
    lost_ = false;
    sent_ = valid_ = timeouts_ = invalid_ = stray_ = retries_ = 0;
    worstLateMs_ = lateDrains_ = 0;
    modules_.clear();
    emit changed();
}

void LinkHealth::resetCtd() {
    records_ = malformed_ = overlong_ = 0;
    lastRecordTick_.reset();
    lastRecordTime_ = {};
    recentTicks_.clear();
    intervals_.clear();
    emit changed();
}

void LinkHealth::busExchange(const BusExchange& x) {
    const QByteArray& line = x.line;
    const QChar address =
        line.size() > 1 && line.at(0) == '$' ? QChar::fromLatin1(line.at(1)) : QLatin1Char('?');
    ModuleHealth& m = modules_[address];
    ++sent_;
    ++m.sent;
    if (x.attempt > 0) {
        ++retries_;
        ++m.retries;
    }
    m.lastValid = x.valid();
    switch (x.status) {
    case BusExchange::Status::Valid:
        ++valid_;
        ++m.valid;
        // When the window closed, whatever held the job afterwards.
        m.lastValidTick = x.closedTick;
        m.lastValidTime = x.closedAt;
        break;
    case BusExchange::Status::Timeout:
    case BusExchange::Status::Closed:
        ++timeouts_;
        ++m.timeouts;
        break;
    case BusExchange::Status::Stray:
        ++stray_;
        ++m.stray;
        break;
    case BusExchange::Status::Invalid:
        ++invalid_;
        ++m.invalid;
        break;
    }
    worstLateMs_ = std::max(worstLateMs_, x.lateMs);
    if (x.lateMs > kLateDrainMs)
        ++lateDrains_;
    emit changed();
}

void LinkHealth::ctdLine(const QByteArray&, CtdLineStatus status) {
    switch (status) {
    case CtdLineStatus::Ok: {
        const std::int32_t now = clock_.ticks();
        if (lastRecordTick_) {
            intervals_.push_back(std::max<std::int32_t>(0, TicksUntil(*lastRecordTick_, now)));
            if (intervals_.size() > kIntervalsKept)
                intervals_.pop_front();
        }
        ++records_;
        lastRecordTick_ = now;
        lastRecordTime_ = clock_.now();
        recentTicks_.push_back(now);
        while (recentTicks_.size() > kRateTicksMax ||
               (!recentTicks_.empty() && TicksUntil(recentTicks_.front(), now) > kRateWindowMs))
            recentTicks_.pop_front();
        break;
    }
    case CtdLineStatus::Malformed:
        ++malformed_;
        break;
    case CtdLineStatus::Overlong:
        ++overlong_;
        break;
    case CtdLineStatus::Partial: // its line ends as an Overlong one
        return;
    }
    emit changed();
}

qint64 LinkHealth::since(std::int32_t tick) const {
    return std::max<qint64>(0, TicksUntil(tick, clock_.ticks()));
}

QString LinkHealth::busDevice() const {
    const QString device = bus_.port().deviceName();
    return device.isEmpty() ? QStringLiteral("COM%1").arg(bus_.port().portNumber()) : device;
}

bool LinkHealth::busOpen() const {
    return !lost_ && bus_.state() != BusSession::State::Closed && bus_.port().isOpen();
}

bool LinkHealth::moduleLive(QChar address) const {
    const auto it = modules_.constFind(address);
    return busOpen() && it != modules_.constEnd() && it->lastValid;
}

std::optional<qint64> LinkHealth::moduleAgeMs(QChar address) const {
    const auto it = modules_.constFind(address);
    if (it == modules_.constEnd() || !it->lastValidTick)
        return std::nullopt;
    return since(*it->lastValidTick);
}

double LinkHealth::ctdRecordsPerSecond() const {
    const std::int32_t now = clock_.ticks();
    const auto n = std::count_if(recentTicks_.begin(), recentTicks_.end(), [now](std::int32_t t) {
        return TicksUntil(t, now) <= kRateWindowMs;
    });
    return double(n) * 1000.0 / double(kRateWindowMs);
}

int LinkHealth::ctdStaleAfterMs() const {
    if (intervals_.empty())
        return kCtdUnknownStaleMs;
    qint64 sum = 0;
    for (std::int32_t i : intervals_)
        sum += i;
    const qint64 mean = sum / qint64(intervals_.size());
    return int(std::clamp<qint64>(3 * mean, kCtdMinStaleMs, 24 * 3600 * 1000));
}

std::optional<qint64> LinkHealth::ctdRecordAgeMs() const {
    if (!lastRecordTick_)
        return std::nullopt;
    return since(*lastRecordTick_);
}

bool LinkHealth::ctdLive() const {
    const auto age = ctdRecordAgeMs();
    return age && *age <= ctdStaleAfterMs();
}

QString LinkHealth::summary() const {
    QString bus;
    if (busDown())
        bus = QStringLiteral("Bus down: %1").arg(bus_.downReason());
    else if (!busOpen())
        bus = bus_.state() == BusSession::State::Idle && !lost_ ? QStringLiteral("Bus not open")
                                                                : QStringLiteral("Bus closed");
    else if (timeouts_ == 0 && invalid_ == 0 && stray_ == 0)
        bus = QStringLiteral("Bus ok");
    else {
        QStringList faults;
        if (timeouts_ > 0)
            faults << QStringLiteral("%1 timeout%2").arg(timeouts_).arg(timeouts_ == 1 ? "" : "s");
        if (invalid_ > 0)
            faults << QStringLiteral("%1 invalid").arg(invalid_);
        if (stray_ > 0)
            faults << QStringLiteral("%1 stray").arg(stray_);
        bus = QStringLiteral("Bus: ") + faults.join(QStringLiteral(", "));
    }
    QString ctd;
    if (ctdDown_)
        ctd = QStringLiteral("CTD down: %1").arg(ctdDownReason_);
    else if (!lastRecordTick_)
        ctd = QStringLiteral("CTD no data");
    else if (ctdLive())
        ctd = QStringLiteral("CTD %1/s").arg(std::lround(ctdRecordsPerSecond()));
    else
        ctd = QStringLiteral("CTD stale %1 s").arg(*ctdRecordAgeMs() / 1000);
    return bus + QStringLiteral(" \u00b7 ") + ctd;
}

QString LinkHealth::AgeText(const QDateTime& last, std::optional<qint64> ageMs) {
    if (!last.isValid() || !ageMs)
        return QStringLiteral("Not read yet");
    return QStringLiteral("Last read %1, %2 s ago")
        .arg(last.toString(QStringLiteral("HH:mm:ss")))
        .arg(*ageMs / 1000);
}

} // namespace corvale
