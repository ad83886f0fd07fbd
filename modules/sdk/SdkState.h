#pragma once

// The SDK's process-wide state: its configuration, the list of the last scan and the registry
// of open devices.

#include <memory>
#include <mutex>
#include <vector>

#include "sdk/DeviceRegistry.h"
#include "sdk/ScanList.h"
#include "sdk/SdkConfig.h"

namespace sdk {

struct SdkState {
    // Guards every member below. Held only for short bookkeeping, never across device traffic
    // or a wait for a capture thread, so a capture callback may call into the SDK at any time.
    std::mutex mutex;
    SdkConfig config;
    ScanList scanList;
    DeviceRegistry registry;
};

// The one state of the process. It is never destroyed, so that objects torn down at process
// exit (the camera holder) can still close their devices through the SDK.
SdkState& sdkState();

// The registered device a handle names, or null (the caller answers 14).
std::shared_ptr<SdkDevice> findDevice(const SdkDevice* handle);

// Closes devices that have left the registry: the close sequence (errors ignored), then their
// capture threads are waited for or abandoned. Called without the state's mutex.
void closeRemovedDevices(const std::vector<std::shared_ptr<SdkDevice>>& devices);

}  // namespace sdk
