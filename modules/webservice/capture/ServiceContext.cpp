#include "capture/ServiceContext.h"

namespace lensws {

ServiceContext::ServiceContext() : ServiceContext(SessionClock::system()) {}

ServiceContext::ServiceContext(const SessionClock& clock)
    : sessionManager_(kSessionTimeout, kLockStealingPreventionPeriod, clock) {}

}  // namespace lensws
