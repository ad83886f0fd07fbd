#include "simulator/PowerState.h"

namespace ocusim {

PowerState::PowerState(bool dozes, std::uint32_t dozeMs, std::uint32_t wakePolls)
    : dozes_(dozes), dozeMs_(dozeMs), wakePolls_(wakePolls), lastActivity_(Clock::now()) {}

bool PowerState::dozing(Clock::time_point now) {
    if (!dozes_) {
        return false;
    }
    if (!asleep_) {
        const bool idle = now - lastActivity_ >= std::chrono::milliseconds(dozeMs_);
        const bool told = dozeAt_ && now >= *dozeAt_;
        if (idle || told) {
            asleep_ = true;
            pollsLeft_ = wakePolls_;
            dozeAt_.reset();
        }
    }
    return asleep_;
}

void PowerState::noteActivity(Clock::time_point now) {
    if (!dozing(now)) {
        lastActivity_ = now;
    }
}

std::uint32_t PowerState::poll(Clock::time_point now) {
    if (!dozing(now)) {
        lastActivity_ = now;
        return 0;
    }
    if (pollsLeft_ > 0) {
        --pollsLeft_;
        return 1;
    }
    asleep_ = false;
    lastActivity_ = now;
    return 0;
}

std::uint32_t PowerState::wakeCommand(Clock::time_point now) {
    const bool wasAsleep = dozing(now);
    asleep_ = false;
    lastActivity_ = now;
    return wasAsleep ? 1 : 0;
}

void PowerState::dozeAt(Clock::time_point when) {
    if (dozes_) {
        dozeAt_ = when;
    }
}

}  // namespace ocusim
