#pragma once

#include <atomic>
#include <cstdint>

#include "capture/SessionClock.h"

namespace testsupport {

// A clock the test moves by hand; -1 stands for an unreadable clock.
class ManualClock : public lensws::SessionClock {
public:
    explicit ManualClock(std::int64_t start) : now_(start) {}
    std::int64_t now() const override { return now_.load(); }
    void set(std::int64_t seconds) { now_.store(seconds); }
    void advance(std::int64_t seconds) { now_.fetch_add(seconds); }

private:
    std::atomic<std::int64_t> now_;
};

}  // namespace testsupport
