#pragma once

namespace sdk {

class SdkDevice;

// An open device as the SDK's callers see it: opaque, checked by every function that takes it
// (14 for a null, all-ones or unregistered handle).
using SdkHandle = SdkDevice*;

// A list of names handed out (device names by a scan, user ids by the gallery).
using NameList = const char* const*;

}  // namespace sdk
