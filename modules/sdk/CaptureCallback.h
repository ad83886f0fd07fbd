#pragma once

#include <cstdint>

#include "sdk/ImageInfo.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// The record handed to a capture callback when polling the camera failed; the capture thread
// ends after it.
struct CaptureError {
    CamxStatus status = CAMX_OK;
};

// Called on a device's capture thread without the device lock held, so it may call back into
// the SDK (even sdkStopCapture, which then does not wait for the thread it runs on).
// Arguments: the context given to sdkStartCapture; live frames (1 on a monocular camera, 2 on a
// binocular one) or null; the frame count; the capture status (0-2 running, 3 completed, 5
// ended) when it changed, or null; the failure, or null. Everything pointed to stays valid only
// during the call.
using CaptureCallback = void (*)(void* context, const ImageInfo* images, std::uint32_t count,
                                 const std::uint32_t* captureStatus, const CaptureError* error);

}  // namespace sdk
