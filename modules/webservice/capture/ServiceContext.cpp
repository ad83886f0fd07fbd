#include "capture/ServiceContext.h"

namespace lensws {

ServiceContext::ServiceContext() : ServiceContext(SessionClock::system()) {}

ServiceContext::ServiceContext(const SessionClock& clock)
    : ServiceContext(clock, vantrel_camera::CameraHolder::instance()) {}

ServiceContext::ServiceContext(const SessionClock& clock, vantrel_camera::CameraHolder& holder)
    : sessionManager_(kSessionTimeout, kLockStealingPreventionPeriod, clock),
      cameraController_(holder) {}

}  // namespace lensws
