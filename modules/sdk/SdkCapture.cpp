#include "sdk/SdkCapture.h"

#include "sdk/CaptureCommands.h"
#include "sdk/CaptureLoop.h"
#include "sdk/ProtocolBlock.h"
#include "sdk/SdkDevice.h"
#include "sdk/SdkState.h"

namespace sdk {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr std::uint32_t kMaxCaptureCount = 60000;

}  // namespace

CamxStatus sdkStartCapture(SdkHandle handle, std::uint8_t captureMode, std::uint32_t count,
                           std::uint8_t qualityMode, std::uint8_t operationMode,
                           std::uint8_t eyeSubtype, std::uint8_t autoFlag, CaptureCallback callback,
                           void* context) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    // Waiting for the thread one runs on would never end.
    if (device->captureThread.isCurrent()) {
        return CAMX_THREAD_FAILED;
    }
    device->captureThread.join();
    const CamxStatus ready = device->checkInitialised();
    if (ready != CAMX_OK) {
        return ready;
    }
    device->stopCapture();

    {
        Lock lock(device->link.lock);
        CaptureParameters parameters;
        parameters.captureMode = captureMode;
        parameters.count = static_cast<std::uint16_t>(count);
        parameters.qualityMode = qualityMode;
        parameters.operationMode = operationMode;
        parameters.autoFlag = autoFlag;
        parameters.eyeSubtype = eyeSubtype;
        // The count is checked before it is narrowed to the 16 bits it travels in.
        if (count < 1 || count > kMaxCaptureCount ||
            checkCaptureParameters(device->link, parameters) != CAMX_OK) {
            return CAMX_INVALID_PARAMETER;
        }
        device->capture = parameters;
        device->streaming = true;
        device->callback = callback;
        device->callbackContext = context;
        const CamxStatus status = startCapture(device->link, parameters);
        if (status != CAMX_OK) {
            return status;
        }
        device->capturing = true;
    }
    if (callback == nullptr) {
        return CAMX_OK;
    }
    // Started without the device lock held: the thread's callbacks take the lock when they
    // call into the SDK, so the lock is never taken around the thread's callback gate.
    if (!device->captureThread.start([device]() { runCaptureLoop(device); })) {
        device->stopCapture();
        return CAMX_THREAD_FAILED;
    }
    return CAMX_OK;
}

CamxStatus sdkStopCapture(SdkHandle handle) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    return device->stopCapture();
}

CamxStatus sdkGetCaptureStatus(SdkHandle handle, std::uint8_t* captureStatus) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (captureStatus == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return readCaptureStatus(device->link, captureStatus);
}

CamxStatus sdkGetStreamImages(SdkHandle handle, const ImageInfo** images, std::uint32_t* count,
                              std::uint8_t* captureStatus) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (images == nullptr || count == nullptr || captureStatus == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    Lock lock(device->link.lock);
    *images = nullptr;
    *count = 0;
    if (!device->capturing) {
        return CAMX_SE_NO_FRAME_AVAILABLE;
    }
    const CamxStatus status =
        readStreamImages(device->link, device->buffers.stream, device->capture.eyeSubtype,
                         device->streamImages, count, captureStatus);
    if (carriesData(status)) {
        *images = device->streamImages;
    }
    return status;
}

}  // namespace sdk
