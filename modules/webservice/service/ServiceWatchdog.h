#pragma once

#include <chrono>
#include <functional>

namespace lensws {

// Keeps systemd's watchdog fed while, and only while, the web server answers: every half
// interval it asks the server for an answer and sends the keep-alive message when one came. A
// server whose workers are all stuck, or that stopped answering, misses its keep-alives and
// is restarted by systemd. A failed probe is tried again at the next tick.
//
// Called from the service's run loop, one thread.
class ServiceWatchdog {
public:
    using Clock = std::chrono::steady_clock;
    // Asks the web server for an answer within the time-out; true when one came.
    using Probe = std::function<bool(std::chrono::milliseconds timeout)>;
    using Ping = std::function<void()>;

    // The longest a probe waits, so that the run loop stays responsive.
    static constexpr std::chrono::milliseconds kMaxProbeWait{5000};

    // A zero interval (no watchdog) makes every tick do nothing.
    ServiceWatchdog(std::chrono::microseconds interval, Probe probe, Ping ping);

    void tick(Clock::time_point now);

    // How long each probe may wait: a quarter of the interval, from 1 ms to
    // kMaxProbeWait.
    std::chrono::milliseconds probeWait() const { return probeWait_; }

private:
    std::chrono::microseconds interval_;
    std::chrono::milliseconds probeWait_;
    Probe probe_;
    Ping ping_;
    Clock::time_point nextPing_{};
};

}  // namespace lensws
