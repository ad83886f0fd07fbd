#pragma once

// Commands that set up the camera and run a capture: initialise, deinitialise, start and stop,
// eye option, the camera command, capture status and the live stream images.
//
// Stream-image data (0x200F): u8 capture status, u8 format, u32 width, u32 height, then one
// frame of width x height bytes, or on a binocular camera two, the second right after the
// first. With eye subtype 1 or 2 on a binocular camera only one frame follows the head.

#include <cstddef>
#include <cstdint>

#include "sdk/DataBuffer.h"
#include "sdk/DeviceLink.h"
#include "sdk/ImageInfo.h"
#include "sdk/SdkStatus.h"

namespace sdk {

struct CaptureParameters {
    std::uint8_t captureMode = 1;    // 1 or 2
    std::uint16_t count = 1;         // 1..60000
    std::uint8_t qualityMode = 1;    // 1, 2 or 3
    std::uint8_t operationMode = 1;  // 1, or 2 from firmware 0x2001C
    std::uint8_t autoFlag = 0;
    std::uint8_t eyeSubtype = 0;  // 0 unknown, 1 right, 2 left, 3 both (binocular only)
};

// 15 when the parameters do not suit the camera (see CaptureParameters; a monocular camera
// takes eye subtype 0 only).
CamxStatus checkCaptureParameters(const DeviceLink& link, const CaptureParameters& parameters);

// 0x2003: the camera's frame size.
CamxStatus initCamera(DeviceLink& link, std::uint32_t* width, std::uint32_t* height);
CamxStatus deinitCamera(DeviceLink& link);
// 0x2009 with the parameters as given (check them first with checkCaptureParameters).
CamxStatus startCapture(DeviceLink& link, const CaptureParameters& parameters);
CamxStatus stopCapture(DeviceLink& link);
CamxStatus setEyeOption(DeviceLink& link, std::uint8_t value);
// 0x2010, meant for an initialised camera.
CamxStatus cameraCommand(DeviceLink& link);
CamxStatus readCaptureStatus(DeviceLink& link, std::uint8_t* captureStatus);

// 0x200F into `buffer`: the live frames of a running capture (the caller answers 0x3005 itself
// when none runs). `images` gets 1 entry on a monocular camera and 2 on a binocular one (right
// eye first; a position without a frame is empty); `captureStatus` the status the data carries.
CamxStatus readStreamImages(DeviceLink& link, DataBuffer& buffer, std::uint8_t eyeSubtype,
                            ImageInfo images[2], std::uint32_t* count, std::uint8_t* captureStatus);

// Parses stream-image data; 10 when the frames do not fit in it.
CamxStatus decodeStreamImages(const std::uint8_t* data, std::size_t size, bool binocular,
                              std::uint8_t eyeSubtype, ImageInfo images[2], std::uint32_t* count,
                              std::uint8_t* captureStatus);

}  // namespace sdk
