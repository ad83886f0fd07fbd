#pragma once

// One open camera: its transport, the protocol state (DeviceLink, with the device lock), the
// data areas, the camera's state as the SDK tracks it, the parameters of the current capture
// and its capture thread. The handle the SDK gives callers is the device's address.
//
// Owned by its registry slot; calls in progress and the capture thread hold shared references
// (see DeviceRegistry). Members marked "guarded by link.lock" are read and written only with
// the device lock held; the lock is recursive, so the SDK's functions call one another under it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sdk/CCommObj.h"
#include "sdk/CaptureCallback.h"
#include "sdk/CaptureCommands.h"
#include "sdk/CaptureThread.h"
#include "sdk/DeviceBuffers.h"
#include "sdk/DeviceLink.h"
#include "sdk/ImageInfo.h"
#include "sdk/ResultCommands.h"
#include "sdk/TemplateCommands.h"

namespace sdk {

// How long device teardown waits for a capture thread before abandoning it.
constexpr std::uint32_t kTeardownThreadWaitMs = 10000;

class SdkDevice {
public:
    // A device with the transport of `kind` (flow control matters to serial lines), set up and
    // with its data areas allocated; null when any of it could not be had.
    static std::shared_ptr<SdkDevice> create(LinkKind kind, bool flowControl);

    SdkDevice() = default;
    ~SdkDevice();
    SdkDevice(const SdkDevice&) = delete;
    SdkDevice& operator=(const SdkDevice&) = delete;

    // Opens the transport on `path`, reads the firmware version (only majors 2, 3 and 4 are
    // supported: 18 otherwise) and, with `resetOnOpen`, brings the camera to a known state.
    // Every failure leaves the transport closed.
    CamxStatus open(const std::string& path, std::uint32_t baudRate, bool resetOnOpen);

    bool transportOpen();
    // 4 when the transport is closed, 0x3001 when the camera is not initialised, else 0.
    CamxStatus checkInitialised();

    // Ends the running capture: 0x3001 when not initialised, 0x3003 when no capture runs, else
    // the status of the stop command. Then waits for the capture thread without limit, outside
    // the lock, unless called on that thread.
    CamxStatus stopCapture();
    // Stops a running capture first, then 0x2007.
    CamxStatus deinitCamera();
    // The close sequence: deinitialise, tell the camera it is being closed, close the
    // transport. The device stays allocated for the references still held.
    void closeLink();
    // Last step of a close, after the device left the registry: the capture thread is waited
    // for (kTeardownThreadWaitMs) and abandoned if it does not end.
    void finishCaptureThread();

    DeviceLink link;  // its lock is the device lock
    DeviceBuffers buffers;
    CaptureThread captureThread;

    // Guarded by link.lock.
    std::string path;
    std::uint16_t productId = 0;
    bool cameraInitialised = false;
    bool capturing = false;
    std::uint32_t frameWidth = kDefaultFrameWidth;
    std::uint32_t frameHeight = kDefaultFrameHeight;
    CaptureParameters capture;
    bool streaming = false;
    CaptureCallback callback = nullptr;
    void* callbackContext = nullptr;
    // What the last call handed out; valid until the next call that fills the same member.
    ImageInfo streamImages[2];
    ImageInfo resultImages[2];
    QualityPair quality[2];
    std::vector<const char*> galleryNames;
    std::vector<IdentifyCandidate> candidates;

private:
    std::unique_ptr<CCommObj> transport_;  // link.transport points to it
};

}  // namespace sdk
