#include "platform/timer.h"

#include <limits>

namespace morvek::platform {

Timer::Timer(std::int64_t interval_ms, QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Timer::Tick);
    SetInterval(interval_ms);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Apply();
}

void Timer::SetInterval(std::int64_t interval_ms) {
    if (interval_ms < 0) interval_ms = 0;
    if (interval_ms > std::numeric_limits<int>::max())
        interval_ms = std::numeric_limits<int>::max();
    interval_ = interval_ms;
    Apply();
}

void Timer::Apply() {
    if (enabled_ && interval_ > 0)
        timer_.start(static_cast<int>(interval_));
    else
        timer_.stop();
}

}  // namespace morvek::platform
