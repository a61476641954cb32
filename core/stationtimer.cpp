#include "core/stationtimer.h"

namespace corvale {

StationTimer::StationTimer(const QString& name, Kind kind, QObject* parent)
    : QObject(parent), kind_(kind) {
    setObjectName(name);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { fire(); });
}

void StationTimer::setEnabled(bool enabled) {
    enabled_ = enabled;
    update();
}

void StationTimer::setInterval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    update();
}

void StationTimer::update() {
    if (enabled_ && interval_ > 0) {
        if (!timer_.isActive() || timer_.interval() != interval_)
            timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

StationTimer::~StationTimer() {
    if (alive_)
        *alive_ = false;
}

bool StationTimer::fire() {
    if (running_ || (kind_ == Kind::Bus && ModalScope::active()) || (busy_ && busy_()))
        return false;
    // The handler may end with this timer's owner (a shutdown under a box).
    bool alive = true;
    alive_ = &alive;
    running_ = true;
    if (handler_)
        handler_();
    if (!alive)
        return true;
    alive_ = nullptr;
    emit ticked();
    running_ = false;
    return true;
}

} // namespace corvale
