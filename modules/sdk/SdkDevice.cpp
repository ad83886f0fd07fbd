#include "sdk/SdkDevice.h"

#include <new>

#include "sdk/CCommUART.h"
#include "sdk/CCommUSB.h"
#include "sdk/CaptureCommands.h"
#include "sdk/DeviceCommands.h"

namespace sdk {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// Closing tells the camera: state kind 2, value 0, for 1000 ms.
constexpr std::uint8_t kClosingStateKind = 2;
constexpr std::uint8_t kClosingStateValue = 0;
constexpr std::uint32_t kClosingStateDurationMs = 1000;

bool supportedFirmwareMajor(std::uint32_t version) {
    const std::uint32_t major = version >= 0x10000 ? version >> 16 : version;
    return major == 2 || major == 3 || major == 4;
}

}  // namespace

std::shared_ptr<SdkDevice> SdkDevice::create(LinkKind kind, bool flowControl) {
    std::shared_ptr<SdkDevice> device;
    try {
        device = std::make_shared<SdkDevice>();
        if (kind == LinkKind::Serial) {
            auto serial = std::make_unique<CCommUART>();
            serial->setFlowControl(flowControl);
            device->transport_ = std::move(serial);
        } else {
            device->transport_ = std::make_unique<CCommUSB>();
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!device->transport_->initialise() ||
        !device->buffers.reserveFor(kDefaultFrameWidth, kDefaultFrameHeight)) {
        return nullptr;
    }
    device->link.transport = device->transport_.get();
    device->link.kind = kind;
    return device;
}

SdkDevice::~SdkDevice() {
    if (transport_) {
        transport_->release();
    }
}

CamxStatus SdkDevice::open(const std::string& devicePath, std::uint32_t baudRate,
                           bool resetOnOpen) {
    Lock lock(link.lock);
    CamxStatus status = transport_->open(devicePath.c_str(), &baudRate);
    if (status != CAMX_OK) {
        transport_->close();
        return status;
    }
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    status = readFirmwareVersion(link, &first, &second);
    if (status != CAMX_OK) {
        transport_->close();
        return status;
    }
    link.firmwareVersion = second != 0 ? second : first;
    if (!supportedFirmwareMajor(link.firmwareVersion)) {
        transport_->close();
        return CAMX_VERSION_INCOMPATIBLE;
    }
    if (resetOnOpen) {
        resetAtOpen(link);
    }
    path = devicePath;
    return CAMX_OK;
}

bool SdkDevice::transportOpen() {
    Lock lock(link.lock);
    return transport_->isOpen();
}

CamxStatus SdkDevice::checkInitialised() {
    Lock lock(link.lock);
    if (!transport_->isOpen()) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    return cameraInitialised ? CAMX_OK : CAMX_SE_NOT_INIT;
}

CamxStatus SdkDevice::stopCapture() {
    CamxStatus status = CAMX_OK;
    {
        Lock lock(link.lock);
        if (!cameraInitialised) {
            return CAMX_SE_NOT_INIT;
        }
        if (!capturing) {
            return CAMX_SE_STARTSTOP_CAPTURE_FAILED;
        }
        capturing = false;
        captureThread.requestStop();
        status = sdk::stopCapture(link);
    }
    // Outside the lock: the thread may need it to finish its current exchange.
    captureThread.join();
    return status;
}

CamxStatus SdkDevice::deinitCamera() {
    bool wasCapturing = false;
    {
        Lock lock(link.lock);
        const CamxStatus ready = checkInitialised();
        if (ready != CAMX_OK) {
            return ready;
        }
        wasCapturing = capturing;
    }
    if (wasCapturing) {
        stopCapture();
    }
    Lock lock(link.lock);
    cameraInitialised = false;
    return sdk::deinitCamera(link);
}

void SdkDevice::closeLink() {
    bool initialised = false;
    {
        Lock lock(link.lock);
        link.timeoutMs = kClosingTimeoutMs;
        initialised = cameraInitialised;
    }
    if (initialised) {
        deinitCamera();
    }
    Lock lock(link.lock);
    link.timeoutMs = kClosingTimeoutMs;
    sendDeviceState(link, kClosingStateKind, kClosingStateValue, kClosingStateDurationMs);
    link.timeoutMs = 0;
    transport_->close();
}

void SdkDevice::finishCaptureThread() {
    captureThread.finish(kTeardownThreadWaitMs);
}

}  // namespace sdk
