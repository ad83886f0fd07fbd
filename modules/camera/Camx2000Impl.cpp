#include "camera/Camx2000Impl.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "sdk/Sdk.h"

namespace vantrel_camera {

namespace {

constexpr std::uint32_t kLastRunningStatus = 2;

bool initialiseSdkOnce() {
    static const bool initialised = sdk::sdkInit();
    return initialised;
}

}  // namespace

Camx2000Impl::Camx2000Impl() {
    if (!initialiseSdkOnce()) {
        throw std::runtime_error("Memory allocation failed.");
    }
    SdkConfig config;
    record(sdk::sdkGetConfig(&config));
    if (config.resetOnOpen == 0) {
        config.resetOnOpen = 1;
        record(sdk::sdkSetConfig(config));
    }
}

Camx2000Impl::~Camx2000Impl() {
    shutdownCamera();
}

void Camx2000Impl::setLastResult(CamxStatus status) {
    lastResult.store(status);
}

CamxStatus Camx2000Impl::getLastResult() {
    return lastResult.load();
}

CamxStatus Camx2000Impl::record(CamxStatus status) {
    setLastResult(status);
    if (status == CAMX_INVALID_HANDLE) {
        dropStaleDevice();
    }
    return getLastResult();
}

void Camx2000Impl::dropStaleDevice() {
    if (device != nullptr && sdk::sdkCheckHandle(device) != CAMX_OK) {
        forgetDevice();
    }
}

void Camx2000Impl::forgetDevice() {
    device = nullptr;
    deviceInfoValid = false;
    cameraConfigValid = false;
}

std::uint32_t Camx2000Impl::getSdkVersion() {
    return sdk::sdkGetVersion();
}

CamxStatus Camx2000Impl::getSdkVersionString(char* text, std::uint32_t* size) {
    return record(sdk::sdkGetVersionString(text, size));
}

CamxStatus Camx2000Impl::getSdkConfig(SdkConfig* config) {
    return record(sdk::sdkGetConfig(config));
}

// A change of connection closes every open device in the SDK, this object's among them.
CamxStatus Camx2000Impl::setSdkConfig(const SdkConfig& config) {
    const CamxStatus status = sdk::sdkSetConfig(config);
    dropStaleDevice();
    return record(status);
}

CamxStatus Camx2000Impl::getCameraConfig(CameraConfig* config) {
    if (!cameraConfigValid) {
        CameraConfig read;
        if (record(sdk::sdkGetCameraConfig(device, &read)) != CAMX_OK) {
            return getLastResult();
        }
        cameraConfigCache = read;
        cameraConfigValid = true;
    } else {
        record(CAMX_OK);
    }
    if (config != nullptr) {
        *config = cameraConfigCache;
    }
    return getLastResult();
}

CamxStatus Camx2000Impl::setCameraConfig(const CameraConfig& config) {
    cameraConfigValid = false;
    return record(sdk::sdkSetCameraConfig(device, &config));
}

// A scan closes the devices whose camera is gone, possibly this object's.
CamxStatus Camx2000Impl::scanDevices(NameList* names, std::uint32_t* count) {
    const CamxStatus status = sdk::sdkScanDevices(names, count);
    dropStaleDevice();
    return record(status);
}

CamxStatus Camx2000Impl::openDevice(const char* name) {
    sdk::SdkHandle opened = nullptr;
    const CamxStatus status = sdk::sdkOpenDevice(name, &opened);
    if (status == CAMX_OK) {
        if (device != nullptr) {
            closeDevice();
        }
        device = opened;
    }
    // On "already open" the handle is kept only when it is this object's own; another
    // object's device is not shared.
    return record(status);
}

CamxStatus Camx2000Impl::closeDevice() {
    const CamxStatus status = sdk::sdkCloseDevice(device);
    forgetDevice();
    return record(status);
}

CamxStatus Camx2000Impl::getDeviceInfo(DeviceInfo* info) {
    if (!deviceInfoValid) {
        DeviceInfo read;
        if (record(sdk::sdkGetDeviceInfo(device, &read)) != CAMX_OK) {
            return getLastResult();
        }
        deviceInfoCache = read;
        deviceInfoValid = true;
    } else {
        record(CAMX_OK);
    }
    if (info != nullptr) {
        *info = deviceInfoCache;
    }
    return getLastResult();
}

CamxStatus Camx2000Impl::initCamera(std::uint32_t* width, std::uint32_t* height) {
    std::uint32_t frameWidth = 0;
    std::uint32_t frameHeight = 0;
    if (record(sdk::sdkInitCamera(device, &frameWidth, &frameHeight)) == CAMX_OK) {
        if (width != nullptr) {
            *width = frameWidth;
        }
        if (height != nullptr) {
            *height = frameHeight;
        }
    }
    return getLastResult();
}

CamxStatus Camx2000Impl::deinitCamera() {
    return record(sdk::sdkDeinitCamera(device));
}

CamxStatus Camx2000Impl::startCapture(CaptureCallback callback, void* context,
                                      std::uint8_t captureMode, std::uint32_t count,
                                      std::uint8_t qualityMode, std::uint8_t operationMode,
                                      std::uint8_t eyeSubtype, std::uint8_t autoFlag) {
    if (eyeSubtype != 0 && isBinocular() == 0) {
        eyeSubtype = 0;
    }
    {
        std::lock_guard<std::mutex> lock(clientMutex_);
        clientCallback = callback;
        clientContext = context;
    }
    // Set before the start: the capture may end, and its callback clear the flag, before the
    // SDK returns.
    setCapturing(1);
    const CamxStatus status =
        record(sdk::sdkStartCapture(device, captureMode, count, qualityMode, operationMode,
                                    eyeSubtype, autoFlag, &Camx2000Impl::forwardCapture, this));
    if (status != CAMX_OK) {
        setCapturing(0);
    }
    return status;
}

void Camx2000Impl::forwardCapture(void* context, const ImageInfo* images, std::uint32_t count,
                                  const std::uint32_t* captureStatus, const CaptureError* error) {
    Camx2000Impl* self = static_cast<Camx2000Impl*>(context);
    if (captureStatus != nullptr && *captureStatus > kLastRunningStatus) {
        self->setCapturing(0);
    }
    CaptureCallback callback = nullptr;
    void* clientContext = nullptr;
    {
        std::lock_guard<std::mutex> lock(self->clientMutex_);
        callback = self->clientCallback;
        clientContext = self->clientContext;
    }
    if (callback != nullptr) {
        callback(clientContext, images, count, captureStatus, error);
    }
}

CamxStatus Camx2000Impl::stopCapture() {
    return record(sdk::sdkStopCapture(device));
}

CamxStatus Camx2000Impl::setEyeOption(std::uint8_t value) {
    return record(sdk::sdkSetEyeOption(device, value));
}

CamxStatus Camx2000Impl::triggerCameraCommand() {
    return record(sdk::sdkCommand2010(device));
}

CamxStatus Camx2000Impl::getCaptureStatus(std::uint8_t* status) {
    return record(sdk::sdkGetCaptureStatus(device, status));
}

CamxStatus Camx2000Impl::getStreamImages(const ImageInfo** images, std::uint32_t* count,
                                         std::uint8_t* status) {
    return record(sdk::sdkGetStreamImages(device, images, count, status));
}

CamxStatus Camx2000Impl::getResultImage(std::uint8_t kind, std::uint8_t format,
                                        std::uint8_t compressionValue, const ImageInfo** images,
                                        std::uint32_t* count) {
    return record(sdk::sdkGetResultImage(device, kind, format, compressionValue, images, count));
}

CamxStatus Camx2000Impl::getResultQuality(const QualityPair** pairs, std::uint32_t* count) {
    return record(sdk::sdkGetResultQuality(device, pairs, count));
}

CamxStatus Camx2000Impl::getResultIsoImage(std::uint8_t revision, std::uint8_t format,
                                           std::uint16_t kind, std::uint8_t compressionValue,
                                           std::uint8_t eyePosition, DataBlock* isoRecord) {
    return record(sdk::sdkGetResultIsoImage(device, revision, format, kind, compressionValue,
                                            eyePosition, isoRecord));
}

CamxStatus Camx2000Impl::decodeImageRecord(const DataBlock& imageRecord, ImageInfo* info) {
    ImageInfo sizes;
    if (record(sdk::sdkDecodeImageRecord(&imageRecord, nullptr, 0, &sizes)) != CAMX_OK) {
        return getLastResult();
    }
    const std::uint64_t pixels = static_cast<std::uint64_t>(sizes.width) * sizes.height;
    const std::uint64_t needed = std::max<std::uint64_t>(pixels, sizes.size);
    try {
        imageBuffer.resize(static_cast<std::size_t>(needed));
    } catch (const std::bad_alloc&) {
        return record(CAMX_MEMORY_ALLOCATION_FAILED);
    }
    return record(sdk::sdkDecodeImageRecord(&imageRecord,
                                            imageBuffer.empty() ? nullptr : imageBuffer.data(),
                                            static_cast<std::uint32_t>(imageBuffer.size()), info));
}

CamxStatus Camx2000Impl::getResultTemplate(DataBlock* block) {
    return record(sdk::sdkGetResultTemplate(device, block));
}

CamxStatus Camx2000Impl::matchTemplateBlock(const DataBlock& block, MatchRecord* matchRecord) {
    return record(sdk::sdkMatchTemplateBlock(device, &block, matchRecord));
}

CamxStatus Camx2000Impl::loadGallery(NameList* names, std::uint32_t* count,
                                     std::uint32_t* usedSlots, std::uint32_t* maxTemplates) {
    return record(sdk::sdkLoadGallery(device, names, count, usedSlots, maxTemplates));
}

CamxStatus Camx2000Impl::listEnrollees(NameList* names, std::uint32_t* count,
                                       std::uint32_t* usedSlots, std::uint32_t* maxTemplates) {
    return record(sdk::sdkListEnrollees(device, names, count, usedSlots, maxTemplates));
}

CamxStatus Camx2000Impl::addTemplate(const char* userId, const DataBlock& block) {
    return record(sdk::sdkAddTemplate(device, userId, &block));
}

CamxStatus Camx2000Impl::enrollCapture(const char* userId) {
    return record(sdk::sdkEnrollCapture(device, userId));
}

CamxStatus Camx2000Impl::unenroll(const char* userId) {
    return record(sdk::sdkUnenroll(device, userId));
}

CamxStatus Camx2000Impl::commitGallery() {
    return record(sdk::sdkCommitGallery(device));
}

CamxStatus Camx2000Impl::getEnrolleeRecord(const char* userId, MatchRecord* matchRecord) {
    return record(sdk::sdkGetEnrolleeRecord(device, userId, matchRecord));
}

CamxStatus Camx2000Impl::getEnrolleeTemplate(const char* userId, DataBlock* block) {
    return record(sdk::sdkGetEnrolleeTemplate(device, userId, block));
}

CamxStatus Camx2000Impl::compareWithEnrollee(const char* userId, float* distance) {
    return record(sdk::sdkCompareWithEnrollee(device, userId, distance));
}

CamxStatus Camx2000Impl::compareWithTemplate(const DataBlock& block, float* distance) {
    return record(sdk::sdkCompareWithTemplate(device, &block, distance));
}

CamxStatus Camx2000Impl::identifyCapture(float maxDistance, const IdentifyCandidate** candidates,
                                         std::uint32_t* count) {
    return record(sdk::sdkIdentifyCapture(device, maxDistance, candidates, count));
}

CamxStatus Camx2000Impl::getResultImageWithData(std::uint8_t kind, std::uint8_t format,
                                                std::uint8_t compressionValue,
                                                const DataBlock& data, const ImageInfo** images,
                                                std::uint32_t* count) {
    return record(sdk::sdkGetResultImageWithData(device, kind, format, compressionValue, &data,
                                                 images, count));
}

CamxStatus Camx2000Impl::getTemplateFromData(const DataBlock* data, DataBlock* block) {
    return record(sdk::sdkGetTemplateFromData(device, data, block));
}

std::uint32_t Camx2000Impl::getCameraKind() {
    return kCameraKind;
}

std::uint32_t Camx2000Impl::getSupportedFlags() {
    return kSupportedFlags;
}

std::uint32_t Camx2000Impl::getEnabledFlags() {
    if (getCameraConfig(nullptr) != CAMX_OK) {
        throw std::runtime_error("Cannot query camera's config.");
    }
    std::uint32_t flags = getSupportedFlags();
    const CameraConfig& config = cameraConfigCache;
    if (config.field7 == 0) {
        flags &= ~0x01u;
    }
    if (config.field6 == 0) {
        flags &= ~0x02u;
    }
    if (config.field1 == 0) {
        flags &= ~0x04u;
    }
    if (config.deduplicateOnEnroll == 0) {
        flags &= ~0x08u;
    }
    if (config.field5 == 0) {
        flags &= ~0x10u;
    }
    return flags;
}

}  // namespace vantrel_camera
