#pragma once

#include <memory>

namespace sdk {

class SdkDevice;

// The body of a device's capture thread: polls the camera's live frames (or, when the camera
// does not stream, its capture status every 30 ms) and reports frames, status changes and
// failures to the capture callback, until the capture completes (3), ends (5), fails, or is
// stopped. A capture that ends otherwise than by the camera's own final status is reported
// with a last status of 5. Holds `device` for as long as it runs.
void runCaptureLoop(const std::shared_ptr<SdkDevice>& device);

}  // namespace sdk
