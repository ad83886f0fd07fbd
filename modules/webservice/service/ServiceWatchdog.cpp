#include "service/ServiceWatchdog.h"

#include <algorithm>
#include <utility>

namespace lensws {

ServiceWatchdog::ServiceWatchdog(std::chrono::microseconds interval, Probe probe, Ping ping)
    : interval_(interval),
      probeWait_(std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(interval / 4),
                            std::chrono::milliseconds(1), kMaxProbeWait)),
      probe_(std::move(probe)),
      ping_(std::move(ping)) {}

void ServiceWatchdog::tick(Clock::time_point now) {
    if (interval_.count() <= 0 || now < nextPing_) {
        return;
    }
    if (!probe_(probeWait_)) {
        return;
    }
    ping_();
    nextPing_ = now + interval_ / 2;
}

}  // namespace lensws
