#pragma once

#include <cstdint>
#include <mutex>

namespace platform {

// A mutex whose acquisition waits at most a given time: 0 ms only tries, kInfinite waits
// without limit. Not recursive; the thread that acquired it releases it.
class TimedMutex {
public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

    TimedMutex() = default;
    TimedMutex(const TimedMutex&) = delete;
    TimedMutex& operator=(const TimedMutex&) = delete;

    // True when the mutex was acquired within `milliseconds`.
    bool wait(std::uint32_t milliseconds);
    void release();

private:
    std::timed_mutex mutex_;
};

}  // namespace platform
