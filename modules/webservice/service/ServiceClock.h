#pragma once

#include <cstdint>

namespace lensws {

// The millisecond clock that service-control waits are measured and slept on. Tests substitute
// a clock whose sleep only moves its time forward.
class ServiceClock {
public:
    virtual ~ServiceClock() = default;
    // Milliseconds since an arbitrary start; wraps around like any 32-bit tick count, so only
    // differences between two readings are meaningful.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
};

// The steady clock of the system.
class SystemServiceClock : public ServiceClock {
public:
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t milliseconds) override;
};

}  // namespace lensws
