#pragma once

// The byte areas of one open device. Replies are read straight into them and handed out as
// views that stay valid until the next call on the device that uses the same area. They grow on
// demand and never shrink: sized when the device is set up (for a 640 x 480 camera), again for
// the frame size the camera reports when it is initialised, and by any data phase larger than
// its area.

#include <cstdint>

#include "sdk/DataBuffer.h"

namespace sdk {

constexpr std::uint32_t kDefaultFrameWidth = 640;
constexpr std::uint32_t kDefaultFrameHeight = 480;

struct DeviceBuffers {
    DataBuffer list;       // gallery name lists
    DataBuffer templates;  // templates handed out
    DataBuffer stream;     // live frames asked for by a caller
    // Live frames polled by the capture thread: kept apart from `stream`, so that frames handed
    // to the capture callback are not overwritten by a caller's request meanwhile.
    DataBuffer captureStream;
    DataBuffer resultImages[2];  // [0] result images, [1] result images with data
    DataBuffer general;          // device information, configuration, ISO records, candidates

    // Makes every area large enough for frames of `width` x `height`. False when the memory
    // cannot be had or the frame size is beyond any camera's (the sizes computed would
    // overflow); areas grown before stay grown.
    bool reserveFor(std::uint32_t width, std::uint32_t height);
};

}  // namespace sdk
