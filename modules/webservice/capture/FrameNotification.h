#pragma once

#include <cstddef>
#include <cstdint>

#include "web/ResultStatus.h"

namespace lensws {

// What the camera's frame callback hands every listener of the stream hub: up to two JPEG
// preview frames and the capture's progress. Passed by reference for the length of one
// broadcast; the frame bytes belong to the callback and are valid only during the call.
struct FrameNotification {
    static constexpr std::int32_t kNoProgress = -1;
    // The camera's capture status: 0 idle, 1 ready, 2 capturing, 3 complete; above 3 the
    // capture ended without completing.
    static constexpr std::int32_t kCaptureComplete = 3;

    // True when the camera delivered images and they were prepared for the frame listeners;
    // a frame whose encoding failed then has size 0. False for a notification of progress or
    // of an error only.
    bool hasFrames = false;
    const std::uint8_t* frames[2] = {nullptr, nullptr};
    std::size_t frameSizes[2] = {0, 0};
    // The camera's capture status, or kNoProgress.
    std::int32_t captureState = kNoProgress;
    // Whether a cancel had been asked for when the notification was made.
    bool aborted = false;
    // sensorFailure when the camera reported an error with this notification.
    ResultStatus status = ResultStatus::success;
};

}  // namespace lensws
