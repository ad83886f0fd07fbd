#include "sdk/SdkState.h"

#include "sdk/SdkDevice.h"

namespace sdk {

SdkState& sdkState() {
    static SdkState* const state = new SdkState();
    return *state;
}

std::shared_ptr<SdkDevice> findDevice(const SdkDevice* handle) {
    SdkState& state = sdkState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.registry.find(handle);
}

void closeRemovedDevices(const std::vector<std::shared_ptr<SdkDevice>>& devices) {
    for (const std::shared_ptr<SdkDevice>& device : devices) {
        device->closeLink();
        device->finishCaptureThread();
    }
}

}  // namespace sdk
