#pragma once

// The camera's identity and configuration, and bringing it up and down. Every function takes
// the device lock for its whole exchange; 14 for a handle that names no open device, 15 for a
// null output, 4 when the device's transport is closed.

#include <cstdint>

#include "sdk/CameraConfig.h"
#include "sdk/DeviceInfo.h"
#include "sdk/SdkHandle.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// Command 0x1005, completed from the product table (23 for a product identifier it lacks).
CamxStatus sdkGetDeviceInfo(SdkHandle handle, DeviceInfo* info);
// Commands 0x10C0 and 0x10C1; a configuration the camera would refuse is refused with 15
// before any traffic.
CamxStatus sdkGetCameraConfig(SdkHandle handle, CameraConfig* config);
CamxStatus sdkSetCameraConfig(SdkHandle handle, const CameraConfig* config);

// Command 0x2003 (deinitialising first when initialised already). The frame size the camera
// reports is copied out when asked for, and the data areas are sized for it (12 when they
// cannot be).
CamxStatus sdkInitCamera(SdkHandle handle, std::uint32_t* width, std::uint32_t* height);
// Stops a running capture first; 0x3001 when not initialised.
CamxStatus sdkDeinitCamera(SdkHandle handle);
// Command 0x200B.
CamxStatus sdkSetEyeOption(SdkHandle handle, std::uint8_t value);
// Command 0x2010, only on an initialised camera (0x3001 otherwise).
CamxStatus sdkCommand2010(SdkHandle handle);

}  // namespace sdk
