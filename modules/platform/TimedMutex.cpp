#include "platform/TimedMutex.h"

#include <chrono>

namespace platform {

bool TimedMutex::wait(std::uint32_t milliseconds) {
    if (milliseconds == 0) {
        return mutex_.try_lock();
    }
    if (milliseconds == kInfinite) {
        mutex_.lock();
        return true;
    }
    return mutex_.try_lock_for(std::chrono::milliseconds(milliseconds));
}

void TimedMutex::release() {
    mutex_.unlock();
}

}  // namespace platform
