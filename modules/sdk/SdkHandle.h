#pragma once

namespace sdk {

class SdkDevice;

// An open device as the SDK's callers see it: opaque, checked by every function that takes it
// (14 for a null, all-ones or unregistered handle).
using SdkHandle = SdkDevice*;

// A list of device names handed out by a scan.
using DeviceNameList = const char* const*;

}  // namespace sdk
