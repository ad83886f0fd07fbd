#pragma once

#include <chrono>

namespace platform {

// systemd's watchdog of a service whose unit sets WatchdogSec=: systemd restarts the service
// when no keep-alive message arrives within the interval.

// The interval systemd watches this process in; zero when it watches none (no systemd, no
// WatchdogSec=, or the watched process is another one).
std::chrono::microseconds systemdWatchdogInterval();

// The keep-alive message (WATCHDOG=1); nothing happens without a watchdog.
void notifySystemdWatchdog();

}  // namespace platform
