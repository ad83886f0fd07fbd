#include "simulator/CaptureSession.h"

#include <algorithm>

#include "simulator/Random.h"

namespace ocusim {

namespace {

constexpr std::uint64_t kFinalFrameSalt = 0xF1AA1;
constexpr float kFarScale = 0.72f;  // the eye's size when the capture starts, relative to final

}  // namespace

CaptureSession::CaptureSession(const CaptureSetup& setup, Clock::time_point start)
    : setup_(setup), start_(start) {
    setup_.frameRate = std::max<std::uint32_t>(1, setup_.frameRate);
}

Clock::duration CaptureSession::framePeriod() const {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(1000000) /
                                                       setup_.frameRate);
}

Clock::time_point CaptureSession::completionTime() const {
    return start_ + std::chrono::milliseconds(setup_.captureMs);
}

std::uint8_t CaptureSession::status(Clock::time_point now) const {
    if (stopped_ && now >= stopTime_) {
        return capture_status::kStopped;
    }
    if (now >= completionTime()) {
        return capture_status::kComplete;
    }
    return now >= start_ + framePeriod() ? capture_status::kCapturing : capture_status::kStarting;
}

bool CaptureSession::running(Clock::time_point now) const {
    const std::uint8_t current = status(now);
    return current == capture_status::kStarting || current == capture_status::kCapturing;
}

void CaptureSession::stop(Clock::time_point now) {
    if (running(now)) {
        stopped_ = true;
        stopTime_ = now;
    }
}

std::uint32_t CaptureSession::frameIndexAt(Clock::time_point now) const {
    if (now < start_) {
        return 0;
    }
    return static_cast<std::uint32_t>((now - start_) / framePeriod());
}

Clock::time_point CaptureSession::frameTime(std::uint32_t index) const {
    return start_ + framePeriod() * index;
}

bool CaptureSession::slotActive(int slot) const {
    if (!setup_.binocular) {
        return slot == 0;
    }
    switch (setup_.eyeSubtype) {
        case 1:
            return slot == 0;
        case 2:
            return slot == 1;
        default:
            return slot == 0 || slot == 1;
    }
}

std::uint8_t CaptureSession::eyeLabel(int slot) const {
    return setup_.binocular ? static_cast<std::uint8_t>(slot + 1) : 0;
}

EyeScene CaptureSession::baseScene(int slot) const {
    EyeScene scene;
    // Side of the face: 1 right, 2 left.
    int side = slot + 1;
    bool covered = false;
    if (setup_.binocular) {
        covered = (setup_.eyes == EyesShown::Left && side == 1) ||
                  (setup_.eyes == EyesShown::Right && side == 2);
    } else {
        side = setup_.eyes == EyesShown::Left ? 2 : 1;
    }
    scene.eyePresent = setup_.subject != "none";
    scene.eyeClosed = covered;
    scene.identitySeed = mixSeed(hashText(setup_.subject), static_cast<std::uint64_t>(side));
    // The pose of this capture: where the head stops, its roll, the pupil and the lids.
    Random pose(mixSeed(scene.identitySeed, setup_.sequence + 1));
    scene.centreX = setup_.width / 2.0f + static_cast<float>(pose.range(-25, 25));
    scene.centreY = setup_.height / 2.0f + static_cast<float>(pose.range(-18, 18));
    scene.roll = static_cast<float>(pose.range(-0.07, 0.07));
    scene.dilation = static_cast<float>(pose.range(0.85, 1.15));
    scene.upperLid = static_cast<float>(pose.range(0.62, 0.9));
    scene.lowerLid = static_cast<float>(pose.range(0.85, 1.0));
    scene.scale = static_cast<float>(pose.range(0.97, 1.03));
    scene.noiseSeed = pose.next();
    scene.noiseSigma = 3.0f;
    return scene;
}

EyeScene CaptureSession::liveScene(int slot, std::uint32_t frameIndex) const {
    EyeScene scene = baseScene(slot);
    const float elapsedMs =
        std::chrono::duration<float, std::milli>(frameTime(frameIndex) - start_).count();
    const float progress =
        setup_.captureMs == 0 ? 1.0f : std::clamp(elapsedMs / setup_.captureMs, 0.0f, 1.0f);
    const float remaining = 1.0f - progress;
    Random drift(mixSeed(scene.noiseSeed, 0xD21F7));
    scene.centreX += remaining * static_cast<float>(drift.range(-40, 40));
    scene.centreY += remaining * static_cast<float>(drift.range(-30, 30));
    scene.scale *= kFarScale + (1.0f - kFarScale) * progress;
    scene.blur = 3.0f * remaining;
    scene.noiseSeed = mixSeed(scene.noiseSeed, frameIndex);
    return scene;
}

EyeScene CaptureSession::finalScene(int slot) const {
    EyeScene scene = baseScene(slot);
    scene.noiseSeed = mixSeed(scene.noiseSeed, kFinalFrameSalt);
    return scene;
}

}  // namespace ocusim
