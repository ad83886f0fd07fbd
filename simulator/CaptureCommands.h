#pragma once

#include "simulator/CameraState.h"
#include "simulator/CommandGroup.h"

namespace ocusim {

// Sensor and capture: initialise (0x2003), deinitialise (0x2007), start and stop capture (0x2009,
// 0x200A), eye option (0x200B), capture status (0x200E), stream images (0x200F) and the camera
// command (0x2010).
//
// Stream images: only while a capture runs. A frame is handed out once; asked again before the
// next frame is due, the camera answers when it is (at most one frame period later), so a host
// polling in a loop receives each frame once at the frame rate. Inline results: u32 data length,
// u32 frame number, u32 capture status. Data: u8 capture status, u8 format (2), u32 width,
// u32 height, then one frame, or on a binocular camera imaging both eyes two (right eye first).
class CaptureCommands : public CommandGroup {
public:
    static constexpr int kFrameWidth = 640;
    static constexpr int kFrameHeight = 480;

    explicit CaptureCommands(CameraState& state) : state_(state) {}

    bool handles(std::uint16_t code) const override;
    CommandOutcome begin(std::uint16_t code, const Params& params, Clock::time_point now) override;

private:
    CommandOutcome startCapture(const Params& params, Clock::time_point now);
    CommandOutcome streamImages(Clock::time_point now);

    CameraState& state_;
};

}  // namespace ocusim
