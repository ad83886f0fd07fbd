#include "capture/CameraController.h"

#include <cstring>

#include "capture/ControllerAdmission.h"
#include "sdk/SdkStatus.h"

namespace lensws {

namespace {

// The only camera kind whose configuration record the service reads.
constexpr std::uint32_t kConfigurableCameraKind = 1;

}  // namespace

CameraController::CameraController() : CameraController(vantrel_camera::CameraHolder::instance()) {}

CameraController::CameraController(vantrel_camera::CameraHolder& holder) : holder_(holder) {}

CameraController::~CameraController() {
    vantrel_camera::OcuScanner* cam = camera();
    if (hasFlag(kCapturing) && cam != nullptr) {
        cam->stopCapture();
    }
}

ResultStatus CameraController::admit(const ControllerAdmission& admission, Need need) const {
    if (!admission.held() || hasFlag(kCapturing)) {
        return ResultStatus::sensorBusy;
    }
    if (need != Need::Nothing && !hasFlag(kInitialized)) {
        return ResultStatus::initializationNeeded;
    }
    if (need == Need::Configured && !hasFlag(kConfigured)) {
        return ResultStatus::configurationNeeded;
    }
    return ResultStatus::success;
}

bool CameraController::isBusy() {
    ControllerAdmission admission(controllerMutex_);
    return admit(admission, Need::Nothing) == ResultStatus::sensorBusy;
}

ResultStatus CameraController::connect(const char** message) {
    vantrel_camera::OcuScanner* current = camera();
    if (current != nullptr && current->isOpen() != 0) {
        return ResultStatus::success;
    }
    const CamxStatus status = holder_.connectCamera();
    if (status == CAMX_OK) {
        return ResultStatus::success;
    }
    *message = status == CAMX_DEVICE_ACCESS_DENIED ? "Sensor access denied." : "Sensor not found.";
    return ResultStatus::failure;
}

ResultStatus CameraController::initialize(const char** message) {
    ControllerAdmission admission(controllerMutex_);
    ResultStatus status = admit(admission, Need::Nothing);
    if (status != ResultStatus::success || hasFlag(kInitialized)) {
        return status;
    }
    status = connect(message);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    frameWidth_ = 0;
    frameHeight_ = 0;
    if (cam->initCamera(&frameWidth_, &frameHeight_) != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    vantrel_camera::CameraConfig config;
    if (cam->getCameraConfig(&config) != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    imposterThreshold_ = config.imposterThreshold;
    // A camera reports an empty gallery as a status of its own; an empty gallery is no reason
    // to refuse the sensor, or a new camera could never be initialized.
    const CamxStatus gallery = cam->loadGallery(nullptr, nullptr, nullptr, nullptr);
    if (gallery != CAMX_OK && gallery != CAMX_GAL_EMPTY) {
        return ResultStatus::sensorFailure;
    }
    setFlag(kInitialized);
    return ResultStatus::success;
}

ResultStatus CameraController::uninitialize() {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Nothing);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    if (cam != nullptr && cam->isOpen() != 0) {
        if (hasFlag(kInitialized)) {
            cam->deinitCamera();
        }
        cam->closeDevice();
    }
    stateFlags_.store(0);
    return ResultStatus::success;
}

ResultStatus CameraController::configure(float genuineThreshold, float imposterThreshold,
                                         std::uint8_t deduplicationEnroll,
                                         std::uint8_t qualityStreaming,
                                         std::uint8_t qualitySample) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Initialized);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    vantrel_camera::CameraConfig config;
    if (cam == nullptr || cam->getCameraConfig(&config) != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    config.deduplicateOnEnroll = deduplicationEnroll;
    config.imposterThreshold = imposterThreshold;
    if (cam->setCameraConfig(config) != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    genuineThreshold_ = genuineThreshold;
    imposterThreshold_ = imposterThreshold;
    setFlag(kConfigured);
    qualitySample_ = qualitySample;
    qualityStreaming_.store(qualityStreaming);
    return ResultStatus::success;
}

ResultStatus CameraController::getFrameSize(std::uint32_t& width, std::uint32_t& height) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Initialized);
    if (status == ResultStatus::success) {
        width = frameWidth_;
        height = frameHeight_;
    }
    return status;
}

ResultStatus CameraController::getQualities(std::uint8_t& qualityStreaming,
                                            std::uint8_t& qualitySample) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Initialized);
    if (status == ResultStatus::success) {
        qualityStreaming = qualityStreaming_.load();
        qualitySample = qualitySample_;
    }
    return status;
}

ResultStatus CameraController::getMatchSettings(bool& deduplicationEnroll, float& genuineThreshold,
                                                float& imposterThreshold) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Initialized);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    vantrel_camera::CameraConfig config;
    if (cam == nullptr || cam->getCameraKind() != kConfigurableCameraKind ||
        cam->getCameraConfig(&config) != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    deduplicationEnroll = config.deduplicateOnEnroll != 0;
    genuineThreshold = genuineThreshold_;
    imposterThreshold = config.imposterThreshold;
    return ResultStatus::success;
}

ResultStatus CameraController::getDeviceInfo(vantrel_camera::DeviceInfo& info) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Initialized);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    if (cam == nullptr || cam->getDeviceInfo(&info) != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    return ResultStatus::success;
}

ResultStatus CameraController::scanDevices(DeviceNames& devices) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Nothing);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    vantrel_camera::NameList names = nullptr;
    std::uint32_t count = 0;
    if (cam == nullptr || cam->scanDevices(&names, &count) != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    devices.count = 0;
    for (std::uint32_t i = 0; names != nullptr && i < count && i < sdk::kMaxScanEntries; ++i) {
        char* name = devices.names[devices.count++];
        std::strncpy(name, names[i] != nullptr ? names[i] : "", sdk::kDeviceNameSize - 1);
        name[sdk::kDeviceNameSize - 1] = '\0';
    }
    return ResultStatus::success;
}

}  // namespace lensws
