#include "service/ServiceEntry.h"

#include <mutex>

#include "service/ServiceCommands.h"
#include "service/StopFlag.h"

namespace lensws {

namespace {

// Written by bindServiceEntry before the dispatcher starts any thread, read-only afterwards.
platform::ServiceManager* boundManager = nullptr;
ServiceBody boundBody = nullptr;
// Written by bindServiceEntry and serviceMain, read after the dispatcher has returned.
int bodyResult = 0;

// The service's status record, written by serviceMain and by the control handler, which runs
// on the dispatcher's control thread. Guarded by statusMutex, which is held across the report
// to the manager so that reports reach it in the order the record changed.
std::mutex statusMutex;
platform::ServiceStatus serviceStatus;

std::uint32_t setStatus(platform::ServiceState state) {
    std::lock_guard<std::mutex> lock(statusMutex);
    serviceStatus.state = state;
    serviceStatus.exitCode = 0;
    serviceStatus.checkPoint = 0;
    serviceStatus.waitHintMs = 0;
    return boundManager->reportStatus(serviceStatus);
}

}  // namespace

void bindServiceEntry(platform::ServiceManager* manager, ServiceBody body) {
    boundManager = manager;
    boundBody = body;
    bodyResult = 0;
}

void serviceMain() {
    {
        std::lock_guard<std::mutex> lock(statusMutex);
        serviceStatus = platform::ServiceStatus{};
        serviceStatus.state = platform::ServiceState::StartPending;
    }
    if (boundManager->registerControlHandler(kServiceName, &serviceControlHandler) != 0) {
        return;
    }
    if (setStatus(platform::ServiceState::Running) != 0) {
        return;
    }
    stopRequested = false;
    bodyResult = boundBody();
}

int serviceResult() {
    return bodyResult;
}

void serviceControlHandler(std::uint32_t control) {
    if (control != platform::kServiceControlStop) {
        return;
    }
    setStatus(platform::ServiceState::Stopped);
    stopRequested = true;
}

}  // namespace lensws
