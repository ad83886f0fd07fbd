#pragma once

#include <cstdint>

#include "platform/TimedMutex.h"

namespace lensws {

// Holds the camera controller's mutex for one operation when the attempt to take it succeeded,
// and releases it on every way out of the operation, exceptions included. The attempt does not
// wait unless told to: a sensor operation that meets another one answers busy instead of
// queueing behind it.
class ControllerAdmission {
public:
    explicit ControllerAdmission(platform::TimedMutex& mutex, std::uint32_t milliseconds = 0)
        : mutex_(mutex), held_(mutex.wait(milliseconds)) {}
    ~ControllerAdmission() {
        if (held_) {
            mutex_.release();
        }
    }
    ControllerAdmission(const ControllerAdmission&) = delete;
    ControllerAdmission& operator=(const ControllerAdmission&) = delete;

    bool held() const { return held_; }

private:
    platform::TimedMutex& mutex_;
    const bool held_;
};

}  // namespace lensws
