#pragma once

#include <cstdint>

#include "camera/CameraHolder.h"
#include "capture/CameraController.h"
#include "capture/SessionClock.h"
#include "capture/SessionManager.h"

namespace lensws {

// The capture service's root: the one object through which every capture handler reaches the
// session table with the sensor lock, and the camera controller. Created once before the routes
// exist and destroyed after the web server stopped; handlers keep a non-owning pointer to it.
class ServiceContext {
public:
    static constexpr std::int32_t kSessionTimeout = 600;               // seconds
    static constexpr std::int32_t kLockStealingPreventionPeriod = 30;  // seconds

    ServiceContext();
    // With another clock for the session table (tests); `clock` must outlive the context.
    explicit ServiceContext(const SessionClock& clock);
    // With another camera holder too (tests); `holder` must outlive the context.
    ServiceContext(const SessionClock& clock, vantrel_camera::CameraHolder& holder);
    ServiceContext(const ServiceContext&) = delete;
    ServiceContext& operator=(const ServiceContext&) = delete;

    // Thread-safe; see SessionManager.
    SessionManager& sessionManager() { return sessionManager_; }
    // Thread-safe; see CameraController.
    CameraController& cameraController() { return cameraController_; }

private:
    SessionManager sessionManager_;
    CameraController cameraController_;
};

}  // namespace lensws
