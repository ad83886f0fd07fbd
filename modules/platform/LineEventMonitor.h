#pragma once

// Watches the modem-status lines of an open serial port on a thread of its own and counts the
// changes of the CTS line (line events). The serial port owns it and stops it before closing.
// On ports without modem lines (a pseudo-terminal) reading the status fails; the monitor then
// notes that no status is available and idles until it is stopped.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/Event.h"

namespace platform {

class LineEventMonitor {
public:
    // Reads the modem-status bits (TIOCM_*); false when the port has none. Called only on the
    // monitor's thread.
    using ModemStatusReader = std::function<bool(int* bits)>;

    // How often the lines are sampled.
    static constexpr std::uint32_t kSampleIntervalMs = 100;

    explicit LineEventMonitor(ModemStatusReader reader);
    ~LineEventMonitor();
    LineEventMonitor(const LineEventMonitor&) = delete;
    LineEventMonitor& operator=(const LineEventMonitor&) = delete;

    // Starts the thread and waits up to `startedWaitMs` for it to report that it runs. False
    // when it could not be started or did not report in time (it is then stopped again).
    bool start(std::uint32_t startedWaitMs);
    // Asks the thread to end and joins it; it ends within one sample interval.
    void stop();

    bool running() const { return running_.load(); }
    std::uint64_t ctsEventCount() const { return ctsEvents_.load(); }
    bool modemStatusAvailable() const { return statusAvailable_.load(); }
    // The bits read after the last CTS event.
    int lastModemStatus() const { return lastStatus_.load(); }

private:
    void run();

    const ModemStatusReader reader_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_;  // guarded by mutex_
    std::atomic<bool> running_;
    std::atomic<std::uint64_t> ctsEvents_;
    std::atomic<bool> statusAvailable_;
    std::atomic<int> lastStatus_;
    Event started_;
    std::thread thread_;  // joined by stop(); touched only by the owner's thread
};

}  // namespace platform
