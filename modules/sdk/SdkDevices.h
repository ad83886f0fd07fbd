#pragma once

// Setting the SDK up, finding cameras, opening and closing them.
//
// Scans, opens and closes change process-wide state; they are safe to call from several
// threads, but the service makes them from one thread at a time, and the names a scan hands
// out are overwritten by the next scan.

#include <cstdint>

#include "sdk/SdkConfig.h"
#include "sdk/SdkHandle.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// Empties the scan list and closes every open device. Always succeeds: the name buffers are
// part of the process state.
bool sdkInit();

// 15 on null.
CamxStatus sdkGetConfig(SdkConfig* config);
// Validates (15) and stores the configuration. A change of connection kind, or of the baud
// rate on a serial line, first closes every open device and empties the scan list.
CamxStatus sdkSetConfig(const SdkConfig& config);

// USB only (20 on a serial configuration; 15 for null outputs). Lists the cameras present,
// keeps the maker's accepted ones (at most five), closes open devices whose camera is no longer
// present and hands out their display names ("<model> #<n>"), valid until the next scan. 2 and
// a null list when no accepted camera is present; 14 when the devices cannot be listed.
CamxStatus sdkScanDevices(NameList* names, std::uint32_t* count);

// Opens a camera: on USB by display or model name from the last scan (scanning first when
// there is none), on a serial line by port path. 5 and the same handle when it is open already;
// 7 when two devices are open; 18 for firmware other than majors 2, 3 and 4; the transport's
// status when it cannot be opened.
CamxStatus sdkOpenDevice(const char* name, SdkHandle* handle);

// Stops a capture, deinitialises the camera, tells it that it is being closed, closes the
// transport and frees the device. The capture thread is waited for up to 10000 ms.
CamxStatus sdkCloseDevice(SdkHandle handle);

// 0 when the handle names an open device, else 14. No device traffic: lets a holder of a
// handle notice that a scan or a configuration change closed its device.
CamxStatus sdkCheckHandle(SdkHandle handle);

}  // namespace sdk
