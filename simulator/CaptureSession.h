#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "simulator/EyeScene.h"

namespace ocusim {

using Clock = std::chrono::steady_clock;

// Which eyes the person in front of the camera shows. A monocular camera images the right eye
// unless only the left is shown; a binocular one images both and finds a covered eye unqualified.
enum class EyesShown { Both, Left, Right };

// Capture status values as the camera reports them.
namespace capture_status {
constexpr std::uint8_t kStarting = 0;
constexpr std::uint8_t kCapturing = 2;
constexpr std::uint8_t kComplete = 3;
constexpr std::uint8_t kStopped = 5;
}  // namespace capture_status

struct CaptureSetup {
    std::string subject;  // "none": nobody is there
    bool binocular = false;
    std::uint8_t eyeSubtype = 0;  // binocular: 1 right eye only, 2 left eye only, else both
    EyesShown eyes = EyesShown::Both;
    std::uint32_t captureMs = 1500;
    std::uint32_t frameRate = 30;
    std::uint64_t sequence = 0;  // the camera's capture count: pose and noise differ per capture
    int width = 640;
    int height = 480;
};

// One run of the capture procedure on a timeline: the status is 0 until the first live frame,
// 2 while frames stream and the person approaches, 3 once `captureMs` have passed (the camera
// then holds its qualified frame), or 5 when stopped before that. Everything is a pure function
// of the time asked about, so the camera can answer ahead of time (a stream request waits for
// the next frame) and tests can step through a capture without waiting.
//
// Slots: a binocular camera's slot 0 is the right eye and slot 1 the left; a monocular camera has
// one slot.
class CaptureSession {
public:
    CaptureSession(const CaptureSetup& setup, Clock::time_point start);

    const CaptureSetup& setup() const { return setup_; }
    std::uint8_t status(Clock::time_point now) const;
    bool running(Clock::time_point now) const;
    // Stops a running capture (status 5 from then on); a completed capture stays complete.
    void stop(Clock::time_point now);

    // The newest live frame at `now`, counted from 1; 0 before the first.
    std::uint32_t frameIndexAt(Clock::time_point now) const;
    Clock::time_point frameTime(std::uint32_t index) const;
    Clock::time_point completionTime() const;
    Clock::time_point startTime() const { return start_; }

    // The newest frame handed out by the stream command (guarded by the camera's single thread).
    std::uint32_t deliveredFrame() const { return deliveredFrame_; }
    void setDeliveredFrame(std::uint32_t index) { deliveredFrame_ = index; }

    int slotCount() const { return setup_.binocular ? 2 : 1; }
    // Whether the eye subtype asked for this slot's eye.
    bool slotActive(int slot) const;
    // 0 on a monocular camera (it cannot tell the eyes apart), else 1 right or 2 left.
    std::uint8_t eyeLabel(int slot) const;

    EyeScene liveScene(int slot, std::uint32_t frameIndex) const;
    EyeScene finalScene(int slot) const;

private:
    EyeScene baseScene(int slot) const;
    Clock::duration framePeriod() const;

    CaptureSetup setup_;
    Clock::time_point start_;
    bool stopped_ = false;
    Clock::time_point stopTime_;
    std::uint32_t deliveredFrame_ = 0;
};

}  // namespace ocusim
