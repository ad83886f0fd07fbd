#pragma once

// Commands about the camera itself: identity, firmware, the reset at open, the state sent at
// close, and the device information.

#include <cstdint>

#include "sdk/DataBuffer.h"
#include "sdk/DeviceInfo.h"
#include "sdk/DeviceLink.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// Time-outs around the reset at open and while closing.
constexpr std::uint32_t kResetAtOpenTimeoutMs = 2000;
constexpr std::uint32_t kAfterResetTimeoutMs = 10000;
constexpr std::uint32_t kClosingTimeoutMs = 1000;

// Product identifier of a serial camera (0x10A0); USB cameras tell theirs in the device path.
CamxStatus readProductId(DeviceLink& link, std::uint16_t* productId);

// The firmware version: over USB the driver's request (with the second word of firmware
// 0x30017), over a serial line command 0x10A1 (the second word when the reply carries one).
// `second` is 0 when there is none.
CamxStatus readFirmwareVersion(DeviceLink& link, std::uint32_t* first, std::uint32_t* second);

// The reset sequence of an open: stop capture, eye option 0 and command 0x9005, each with its
// reply read and its status ignored, under a 2000 ms time-out; then the transport is set to
// 10000 ms and the link's time-out back to the default.
void resetAtOpen(DeviceLink& link);

// Command 0x5001: device state `kind` (sent as kind - 2), `value`, and a duration. Closing
// sends (2, 0, 1000).
CamxStatus sendDeviceState(DeviceLink& link, std::uint8_t kind, std::uint8_t value,
                           std::uint32_t durationMs);

// Device information (0x1005) read into `buffer`, completed from the product table entry of
// `productId`; an unknown product identifier fails with 23 before any traffic.
CamxStatus readDeviceInfo(DeviceLink& link, std::uint16_t productId, DataBuffer& buffer,
                          DeviceInfo* info);

// Parses the device-information data; 10 when it is shorter than its announced parts. Fills
// the serial number and the three closing words only.
CamxStatus decodeDeviceInfo(const std::uint8_t* data, std::size_t size, DeviceInfo* info);

}  // namespace sdk
