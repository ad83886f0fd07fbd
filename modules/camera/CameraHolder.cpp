#include "camera/CameraHolder.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "camera/CreateCamera.h"
#include "sdk/SdkConfig.h"

namespace vantrel_camera {

namespace {

constexpr std::uint32_t kCameraKind = 1;

}  // namespace

CameraHolder& CameraHolder::instance() {
    static CameraHolder holder(createCamera);
    return holder;
}

CameraHolder::CameraHolder(CameraFactory factory) : factory_(std::move(factory)) {}

CameraHolder::~CameraHolder() {
    disconnect();
}

void CameraHolder::closeIfOpen() {
    if (camera_ && camera_->isOpen() != 0) {
        camera_->closeDevice();
    }
}

// The gallery changes made while the service ran are dropped from the camera's working gallery
// (no commit follows), so the camera holds only what was committed.
void CameraHolder::disconnect() {
    if (!camera_) {
        return;
    }
    if (camera_->isOpen() != 0) {
        camera_->stopCapture();
        camera_->deinitCamera();
    }
    camera_->setEyeOption(0);
    camera_->unenroll(nullptr);
    closeIfOpen();
    camera_.reset();
}

CamxStatus CameraHolder::connectCamera(BusyCallback busyCallback, void* context) {
    closeIfOpen();
    if (!camera_) {
        camera_ = factory_(kCameraKind);
        if (!camera_) {
            throw std::runtime_error("Memory allocation failed");
        }
    }
    const CamxStatus status =
        connection_.kind == CameraConnection::Kind::Serial ? connectSerial() : connectUsb();
    if (status != CAMX_OK && busyCallback != nullptr) {
        busyCallback(context);
    }
    return status;
}

CamxStatus CameraHolder::checkOpened(OcuScanner& camera, bool* binocular) {
    const std::int32_t answer = camera.isBinocular();
    if (answer < 0) {
        const CamxStatus status = camera.getLastResult();
        camera.closeDevice();
        return status;
    }
    *binocular = answer > 0;
    return CAMX_OK;
}

CamxStatus CameraHolder::connectUsb() {
    SdkConfig config;
    CamxStatus status = camera_->getSdkConfig(&config);
    if (status == CAMX_OK && config.connectionKind != sdk::kConnectionUsb) {
        config.connectionKind = sdk::kConnectionUsb;
        status = camera_->setSdkConfig(config);
    }
    if (status != CAMX_OK) {
        return status;
    }
    NameList names = nullptr;
    std::uint32_t count = 0;
    status = camera_->scanDevices(&names, &count);
    if (status != CAMX_OK) {
        return status;
    }
    if (names == nullptr || count == 0) {
        throw std::runtime_error("No Tavisor camera available.");
    }
    // Copied: opening may scan again, which rewrites the SDK's name buffers.
    const std::vector<std::string> list(names, names + count);

    // Once a binocular camera is kept open in camera_, the remaining names are tried on a
    // second object, so that each object holds one device only.
    std::unique_ptr<OcuScanner> probe;
    bool binocularKept = false;
    for (const std::string& name : list) {
        if (binocularKept && !probe) {
            probe = factory_(kCameraKind);
            if (!probe) {
                break;
            }
        }
        OcuScanner& candidate = binocularKept ? *probe : *camera_;
        status = candidate.openDevice(name.c_str());
        if (status != CAMX_OK) {
            continue;
        }
        bool binocular = false;
        status = checkOpened(candidate, &binocular);
        if (status != CAMX_OK) {
            continue;
        }
        if (!binocular) {
            if (binocularKept) {
                camera_->closeDevice();
                camera_.swap(probe);
            }
            return CAMX_OK;
        }
        if (binocularKept) {
            candidate.closeDevice();
        }
        binocularKept = true;
    }
    return binocularKept ? CAMX_OK : status;
}

CamxStatus CameraHolder::connectSerial() {
    SdkConfig config;
    CamxStatus status = camera_->getSdkConfig(&config);
    if (status != CAMX_OK) {
        return status;
    }
    config.connectionKind = sdk::kConnectionSerial;
    config.baudRate = connection_.baudRate;
    config.flowControl = connection_.flowControl ? 1 : 0;
    status = camera_->setSdkConfig(config);
    if (status != CAMX_OK) {
        return status;
    }
    status = camera_->openDevice(connection_.serialPort.c_str());
    if (status != CAMX_OK) {
        return status;
    }
    bool binocular = false;
    return checkOpened(*camera_, &binocular);
}

}  // namespace vantrel_camera
