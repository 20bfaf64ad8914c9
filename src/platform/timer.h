// A timer with the meaning the monitor's timers have: Enabled and Interval, an interval of 0 never
// fires (whether enabled or not), intervals above 65535 ms are allowed, and changing the interval
// of a running timer restarts its countdown.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

namespace morvek::platform {

class Timer : public QObject {
    Q_OBJECT
  public:
    explicit Timer(std::int64_t interval_ms = 0, QObject* parent = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::int64_t Interval() const { return interval_; }
    // Values outside 0 .. 2^31 - 1 are taken as 0 (never fires) or the largest interval.
    void SetInterval(std::int64_t interval_ms);
    // Whether the underlying timer is counting down (enabled with an interval above 0).
    bool Running() const { return timer_.isActive(); }

  signals:
    void Tick();

  private:
    void Apply();

    QTimer timer_;
    bool enabled_ = false;
    std::int64_t interval_ = 0;
};

}  // namespace morvek::platform
