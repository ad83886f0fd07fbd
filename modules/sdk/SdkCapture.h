#pragma once

// Running a capture: starting it (with the capture thread that polls the camera and calls the
// callback), stopping it, and polling it by hand.

#include <cstdint>

#include "sdk/CaptureCallback.h"
#include "sdk/ImageInfo.h"
#include "sdk/SdkHandle.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// Starts a capture (command 0x2009) on an initialised camera (0x3001 otherwise), after waiting
// for the thread of a previous capture and stopping a capture still running. 15 unless:
// capture mode 1 or 2; count 1..60000; quality mode 1..3; operation mode 1, or 2 on firmware
// 0x2001C and later; eye subtype 0 on a monocular camera, 0..3 on a binocular one. With a
// callback, the capture thread polls the camera until the capture ends (19 when it cannot be
// started; the capture is then stopped). Called from a capture callback it answers 19: the
// thread it runs on is still the capture thread.
CamxStatus sdkStartCapture(SdkHandle handle, std::uint8_t captureMode, std::uint32_t count,
                           std::uint8_t qualityMode, std::uint8_t operationMode,
                           std::uint8_t eyeSubtype, std::uint8_t autoFlag, CaptureCallback callback,
                           void* context);

// Command 0x200A, then waits without limit for the capture thread to end (its last callback
// reports status 5). Called from the capture callback it returns without waiting. 0x3001 when
// not initialised, 0x3003 when no capture runs.
CamxStatus sdkStopCapture(SdkHandle handle);

// Command 0x200E.
CamxStatus sdkGetCaptureStatus(SdkHandle handle, std::uint8_t* captureStatus);

// Command 0x200F while a capture runs (0x3005 without traffic otherwise): the live frames, 1 on
// a monocular camera and 2 on a binocular one, valid until the next call of this function on
// the device.
CamxStatus sdkGetStreamImages(SdkHandle handle, const ImageInfo** images, std::uint32_t* count,
                              std::uint8_t* captureStatus);

}  // namespace sdk
