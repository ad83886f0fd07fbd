#include "simulator/CaptureCommands.h"

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteWriter.h"
#include "simulator/FrameStamp.h"

namespace ocusim {

namespace cmd = sdk::command;

bool CaptureCommands::handles(std::uint16_t code) const {
    switch (code) {
        case cmd::kInitCamera:
        case cmd::kDeinitCamera:
        case cmd::kStartCapture:
        case cmd::kStopCapture:
        case cmd::kEyeOption:
        case cmd::kCaptureStatus:
        case cmd::kStreamImages:
        case cmd::kCameraCommand:
            return true;
        default:
            return false;
    }
}

CommandOutcome CaptureCommands::begin(std::uint16_t code, const Params& params,
                                      Clock::time_point now) {
    ByteWriter results;
    switch (code) {
        case cmd::kInitCamera:
            state_.dropCapture();
            state_.initialised = true;
            results.u32(kFrameWidth);
            results.u32(kFrameHeight);
            break;
        case cmd::kDeinitCamera:
            state_.dropCapture();
            state_.initialised = false;
            break;
        case cmd::kStartCapture:
            return startCapture(params, now);
        case cmd::kStopCapture:
            if (state_.capture) {
                state_.capture->stop(now);
            }
            break;
        case cmd::kEyeOption:
            if (!params.has(0, 1)) {
                return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
            }
            if (params.u8(0) > 3 || (!state_.profile.binocular && params.u8(0) != 0)) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            state_.eyeOption = params.u8(0);
            break;
        case cmd::kCaptureStatus:
            results.u32(state_.capture ? state_.capture->status(now) : 0);
            break;
        case cmd::kStreamImages:
            return streamImages(now);
        case cmd::kCameraCommand:
            break;
        default:
            return CommandOutcome::failure(CAMX_DEV_PROC_NOT_FOUND);
    }
    CommandOutcome outcome;
    outcome.results = results.take();
    return outcome;
}

CommandOutcome CaptureCommands::startCapture(const Params& params, Clock::time_point now) {
    if (!params.has(0, 7)) {
        return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
    }
    const std::uint8_t mode = params.u8(0);
    const std::uint16_t count = params.u16(1);
    const std::uint8_t qualityMode = params.u8(3);
    const std::uint8_t operationMode = params.u8(4);
    const std::uint8_t autoFlag = params.u8(5);
    const std::uint8_t eyeSubtype = params.u8(6);
    const bool valid =
        (mode == 1 || mode == 2) && count >= 1 && count <= 60000 && qualityMode >= 1 &&
        qualityMode <= 3 &&
        (operationMode == 1 || (operationMode == 2 && state_.profile.newLayouts())) &&
        autoFlag <= 1 && eyeSubtype <= (state_.profile.binocular ? 3 : 0);
    if (!valid) {
        return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
    }
    if (state_.capturing(now)) {
        return CommandOutcome::failure(CAMX_SE_STARTSTOP_CAPTURE_FAILED);
    }
    CaptureSetup setup;
    setup.subject = state_.scene.subject;
    setup.binocular = state_.profile.binocular;
    setup.eyeSubtype = eyeSubtype;
    setup.eyes = state_.scene.eyes;
    setup.captureMs = state_.scene.captureMs;
    setup.frameRate = state_.scene.frameRate;
    setup.sequence = ++state_.captureCount;
    setup.width = kFrameWidth;
    setup.height = kFrameHeight;
    state_.result.reset();
    state_.capture.emplace(setup, now);
    return CommandOutcome{};
}

CommandOutcome CaptureCommands::streamImages(Clock::time_point now) {
    if (!state_.capture || !state_.capture->running(now)) {
        return CommandOutcome::failure(CAMX_SE_NO_FRAME_AVAILABLE);
    }
    CaptureSession& session = *state_.capture;
    // The frame to hand out and when: the newest one if not yet handed out, else the next.
    Clock::time_point when = now;
    std::uint32_t frame = session.frameIndexAt(now);
    if (frame <= session.deliveredFrame()) {
        frame = session.deliveredFrame() + 1;
        when = session.frameTime(frame);
    }
    if (when > session.completionTime()) {
        when = session.completionTime();
    }
    const std::uint8_t status = session.status(when);
    if (frame == 0 || status != capture_status::kCapturing) {
        CommandOutcome outcome = CommandOutcome::failure(CAMX_SE_NO_FRAME_AVAILABLE);
        outcome.notBefore = when;
        return outcome;
    }
    session.setDeliveredFrame(frame);

    ByteWriter data(2 * kFrameWidth * kFrameHeight + 10);
    data.u8(status);
    data.u8(2);
    data.u32(kFrameWidth);
    data.u32(kFrameHeight);
    GreyImage image;
    for (int slot = 0; slot < session.slotCount(); ++slot) {
        if (session.slotActive(slot)) {
            state_.generator.render(session.liveScene(slot, frame), kFrameWidth, kFrameHeight,
                                    image);
            if (state_.scene.stampFrames) {
                stampFrame(image, steadyMicroseconds(when));
            }
            data.bytes(image.pixels);
        }
    }
    CommandOutcome outcome = CommandOutcome::withData(data.take());
    ByteWriter results;
    results.u32(static_cast<std::uint32_t>(outcome.data.size()));
    results.u32(frame);
    results.u32(status);
    outcome.results = results.take();
    outcome.notBefore = when;
    return outcome;
}

}  // namespace ocusim
