#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "simulator/CameraSettings.h"
#include "simulator/CaptureResult.h"
#include "simulator/CaptureSession.h"
#include "simulator/DeviceProfile.h"
#include "simulator/FrameGenerator.h"
#include "simulator/Gallery.h"
#include "simulator/PowerState.h"

namespace ocusim {

// What the person in front of the camera does and how the camera is tuned; set from the command
// line and changed through the control socket.
struct SceneControl {
    std::string subject = "guest";  // "none": nobody
    EyesShown eyes = EyesShown::Both;
    std::uint32_t captureMs = 1500;
    std::uint32_t frameRate = 30;
    std::uint16_t emptyGalleryStatus = 0x4003;
    bool stampFrames = false;  // live frames carry the moment they are handed out
    // The distance the next comparison of the last capture with an enrollee reports instead of
    // the measured one; used up by that comparison.
    std::optional<float> nextDistance;
};

// The last device-state command (0x5001) the camera received.
struct DeviceStateRecord {
    bool received = false;
    std::uint8_t kind = 0;  // as sent: the state kind minus 2
    std::uint8_t value = 0;
    std::uint32_t durationMs = 0;
};

// The camera's state, shared by its command groups. Everything here is used by the simulator's
// single event-loop thread only, so nothing is locked.
struct CameraState {
    CameraState(const DeviceProfile& deviceProfile, const SceneControl& sceneControl,
                FrameGenerator& frameGenerator, Gallery& cameraGallery, std::uint32_t dozeMs,
                std::uint32_t wakePolls);

    DeviceProfile profile;
    SceneControl scene;
    CameraSettings settings;
    PowerState power;
    FrameGenerator& generator;  // not owned; outlives the camera
    Gallery& gallery;           // not owned; outlives the camera
    bool initialised = false;
    std::uint8_t eyeOption = 0;
    DeviceStateRecord deviceState;
    std::uint64_t captureCount = 0;
    std::optional<CaptureSession> capture;
    std::optional<CaptureResult> result;  // of `capture`, made when first asked for

    bool capturing(Clock::time_point now) const { return capture && capture->running(now); }
    // The analysed result of a completed capture; null while none has completed.
    const CaptureResult* completedResult(Clock::time_point now);
    // Ends any capture and forgets its result.
    void dropCapture();
};

}  // namespace ocusim
