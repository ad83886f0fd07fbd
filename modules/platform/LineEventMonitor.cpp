#include "platform/LineEventMonitor.h"

#include <sys/ioctl.h>

#include <chrono>
#include <system_error>

namespace platform {

LineEventMonitor::LineEventMonitor(ModemStatusReader reader)
    : reader_(std::move(reader)),
      stopRequested_(false),
      running_(false),
      ctsEvents_(0),
      statusAvailable_(false),
      lastStatus_(0),
      started_(true, false) {}

LineEventMonitor::~LineEventMonitor() {
    stop();
}

bool LineEventMonitor::start(std::uint32_t startedWaitMs) {
    stop();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_ = false;
    }
    started_.reset();
    try {
        thread_ = std::thread(&LineEventMonitor::run, this);
    } catch (const std::system_error&) {
        return false;
    }
    if (started_.wait(startedWaitMs) != Event::WaitResult::Signalled) {
        stop();
        return false;
    }
    return true;
}

void LineEventMonitor::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LineEventMonitor::run() {
    int previous = 0;
    bool havePrevious = reader_(&previous);
    statusAvailable_ = havePrevious;
    running_ = true;
    started_.set();

    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kSampleIntervalMs),
                           [this] { return stopRequested_; });
            if (stopRequested_) {
                break;
            }
        }
        if (!havePrevious) {
            continue;  // without modem lines there is nothing to watch
        }
        int bits = 0;
        if (!reader_(&bits)) {
            havePrevious = false;
            statusAvailable_ = false;
            continue;
        }
        if (((bits ^ previous) & TIOCM_CTS) != 0) {
            // A CTS event: read the status the way the event is answered on every port.
            int current = bits;
            reader_(&current);
            lastStatus_ = current;
            ++ctsEvents_;
        }
        previous = bits;
    }
    running_ = false;
}

}  // namespace platform
