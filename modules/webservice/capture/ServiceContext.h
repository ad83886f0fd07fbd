#pragma once

#include <cstdint>

#include "capture/SessionClock.h"
#include "capture/SessionManager.h"

namespace lensws {

// The capture service's root: the one object through which every capture handler reaches the
// session table and the sensor lock. Created once before the routes exist and destroyed after
// the web server stopped; handlers keep a non-owning pointer to it. The camera controller joins
// it when the capture service gains the camera.
class ServiceContext {
public:
    static constexpr std::int32_t kSessionTimeout = 600;               // seconds
    static constexpr std::int32_t kLockStealingPreventionPeriod = 30;  // seconds

    ServiceContext();
    // With another clock for the session table (tests); `clock` must outlive the context.
    explicit ServiceContext(const SessionClock& clock);
    ServiceContext(const ServiceContext&) = delete;
    ServiceContext& operator=(const ServiceContext&) = delete;

    // Thread-safe; see SessionManager.
    SessionManager& sessionManager() { return sessionManager_; }

private:
    SessionManager sessionManager_;
};

}  // namespace lensws
