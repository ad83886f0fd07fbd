#include "platform/SystemdWatchdog.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

namespace platform {

std::chrono::microseconds systemdWatchdogInterval() {
    std::uint64_t microseconds = 0;
    if (sd_watchdog_enabled(0, &microseconds) <= 0) {
        return std::chrono::microseconds::zero();
    }
    return std::chrono::microseconds(microseconds);
}

void notifySystemdWatchdog() {
    sd_notify(0, "WATCHDOG=1");
}

}  // namespace platform
