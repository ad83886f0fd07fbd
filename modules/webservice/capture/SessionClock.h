#pragma once

#include <cstdint>

namespace lensws {

// Where the session table reads the time. The service uses the system clock; tests put in a
// clock they set by hand, so that time-outs can be checked without sleeping.
class SessionClock {
public:
    virtual ~SessionClock() = default;

    // Seconds since 1970-01-01 UTC, or -1 when the time cannot be read.
    virtual std::int64_t now() const = 0;

    // The system's clock (time()); lives for the whole process.
    static const SessionClock& system();
};

}  // namespace lensws
