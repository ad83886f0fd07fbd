#include "simulator/CameraState.h"

namespace ocusim {

CameraState::CameraState(const DeviceProfile& deviceProfile, const SceneControl& sceneControl,
                         FrameGenerator& frameGenerator, Gallery& cameraGallery,
                         std::uint32_t dozeMs, std::uint32_t wakePolls)
    : profile(deviceProfile),
      scene(sceneControl),
      settings(deviceProfile.effectiveFirmware(), deviceProfile.link),
      power(deviceProfile.dozes(), dozeMs, wakePolls),
      generator(frameGenerator),
      gallery(cameraGallery) {}

const CaptureResult* CameraState::completedResult(Clock::time_point now) {
    if (!capture || capture->status(now) != capture_status::kComplete) {
        return nullptr;
    }
    if (!result) {
        result = CaptureAnalyzer::analyze(*capture, generator, settings.minimumUsableArea());
    }
    return &*result;
}

void CameraState::dropCapture() {
    capture.reset();
    result.reset();
}

}  // namespace ocusim
