#include "sdk/SdkCamera.h"

#include "sdk/CaptureCommands.h"
#include "sdk/ConfigCommands.h"
#include "sdk/DeviceCommands.h"
#include "sdk/SdkDevice.h"
#include "sdk/SdkState.h"

namespace sdk {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

}  // namespace

CamxStatus sdkGetDeviceInfo(SdkHandle handle, DeviceInfo* info) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (info == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    Lock lock(device->link.lock);
    return readDeviceInfo(device->link, device->productId, device->buffers.general, info);
}

CamxStatus sdkGetCameraConfig(SdkHandle handle, CameraConfig* config) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (config == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    Lock lock(device->link.lock);
    return readCameraConfig(device->link, device->buffers.general, config);
}

CamxStatus sdkSetCameraConfig(SdkHandle handle, const CameraConfig* config) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (config == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return writeCameraConfig(device->link, *config);
}

CamxStatus sdkInitCamera(SdkHandle handle, std::uint32_t* width, std::uint32_t* height) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (device->checkInitialised() == CAMX_OK) {
        // Without the lock held: a capture still running is stopped and its thread waited for.
        const CamxStatus deinitialised = device->deinitCamera();
        if (deinitialised == CAMX_DEVICE_IO_FAILED) {
            return deinitialised;
        }
    }
    Lock lock(device->link.lock);
    if (!device->transportOpen()) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    std::uint32_t frameWidth = 0;
    std::uint32_t frameHeight = 0;
    const CamxStatus status = initCamera(device->link, &frameWidth, &frameHeight);
    if (status != CAMX_OK) {
        return status;
    }
    device->frameWidth = frameWidth;
    device->frameHeight = frameHeight;
    if (width != nullptr) {
        *width = frameWidth;
    }
    if (height != nullptr) {
        *height = frameHeight;
    }
    if (!device->buffers.reserveFor(frameWidth, frameHeight)) {
        return CAMX_MEMORY_ALLOCATION_FAILED;
    }
    device->cameraInitialised = true;
    return CAMX_OK;
}

CamxStatus sdkDeinitCamera(SdkHandle handle) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    return device->deinitCamera();
}

CamxStatus sdkSetEyeOption(SdkHandle handle, std::uint8_t value) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    return setEyeOption(device->link, value);
}

CamxStatus sdkCommand2010(SdkHandle handle) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    Lock lock(device->link.lock);
    const CamxStatus ready = device->checkInitialised();
    return ready != CAMX_OK ? ready : cameraCommand(device->link);
}

}  // namespace sdk
