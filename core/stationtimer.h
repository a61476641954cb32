#pragma once
// A timer with the station's semantics: it ticks only while enabled with an
// interval above 0; giving an enabled timer an interval starts it; a disabled
// timer keeps its interval.
//
// Re-entry guard: a tick of a timer whose handler is still running (for
// example under a message box, whose nested event loop keeps timers going)
// is dropped, a tick is dropped while the timer's busy check says its last
// job is still queued or running on the bus, and a bus timer's tick is
// dropped while any handler waits under a message box, so bus commands
// never interleave and failures never stack message boxes.

#include "core/operator.h"

#include <QObject>
#include <QTimer>
#include <functional>

namespace corvale {

class StationTimer : public QObject {
    Q_OBJECT
public:
    enum class Kind { Bus, Other };
    explicit StationTimer(const QString& name, Kind kind = Kind::Other, QObject* parent = nullptr);
    ~StationTimer() override;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int interval() const { return interval_; }
    void setInterval(int ms);
    bool isTicking() const { return timer_.isActive(); }
    Kind kind() const { return kind_; }

    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    // True while the work of an earlier tick is still pending.
    void setBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }

    // One tick through the guard, as the timer itself delivers it.
    // Returns false when the tick was dropped.
    bool fire();

signals:
    void ticked();

private:
    void update();

    QTimer timer_;
    Kind kind_;
    bool enabled_ = false;
    int interval_ = 0;
    bool running_ = false;
    std::function<void()> handler_;
    std::function<bool()> busy_;
    bool* alive_ = nullptr;
};

} // namespace corvale
