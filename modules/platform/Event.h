#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

// A signalled/non-signalled flag that threads wait on. A manual-reset event stays signalled
// until reset and releases every waiter; an auto-reset event releases one waiter and resets
// itself. Thread-safe: every member is guarded by `mutex_`.
class Event {
public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

    enum class WaitResult { Signalled = 0, Failed = 1, TimedOut = 2 };

    Event(bool manualReset, bool initiallySignalled);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    WaitResult wait(std::uint32_t milliseconds);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const bool manualReset_;
    bool signalled_;  // guarded by mutex_
};

}  // namespace platform
