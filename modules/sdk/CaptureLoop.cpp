#include "sdk/CaptureLoop.h"

#include <chrono>
#include <thread>

#include "sdk/CaptureCommands.h"
#include "sdk/SdkDevice.h"

namespace sdk {

namespace {

constexpr auto kStatusPollInterval = std::chrono::milliseconds(30);
constexpr std::uint32_t kCaptureCompleted = 3;
constexpr std::uint32_t kCaptureEnded = 5;
constexpr std::uint32_t kLastRunningStatus = 2;

// What the thread needs of the capture it polls, copied once under the device lock.
struct CaptureView {
    CaptureCallback callback = nullptr;
    void* context = nullptr;
    std::uint8_t eyeSubtype = 0;
    bool streaming = false;
};

CaptureView viewOf(SdkDevice& device) {
    std::lock_guard<std::recursive_mutex> lock(device.link.lock);
    return CaptureView{device.callback, device.callbackContext, device.capture.eyeSubtype,
                       device.streaming};
}

}  // namespace

void runCaptureLoop(const std::shared_ptr<SdkDevice>& device) {
    SdkDevice& d = *device;
    CaptureView view = viewOf(d);
    auto callBack = [&](const ImageInfo* images, std::uint32_t count, const std::uint32_t* status,
                        const CaptureError* error) {
        d.captureThread.callBack(
            [&]() { view.callback(view.context, images, count, status, error); });
    };

    std::uint32_t status = 0;
    std::uint32_t previous = 0;
    ImageInfo images[2];
    while (d.captureThread.running() && d.transportOpen()) {
        CamxStatus last = CAMX_OK;
        std::uint8_t reported = 0;
        if (view.streaming) {
            std::uint32_t count = 0;
            last = readStreamImages(d.link, d.buffers.captureStream, view.eyeSubtype, images,
                                    &count, &reported);
            if (last == CAMX_OK) {
                const bool changed = reported != previous;
                status = reported;
                callBack(images, count, changed ? &status : nullptr, nullptr);
            } else if (last == CAMX_SE_NO_FRAME_AVAILABLE) {
                last = readCaptureStatus(d.link, &reported);
            } else if (last == CAMX_DEV_FUNCTION_DISABLED) {
                view.streaming = false;
                last = readCaptureStatus(d.link, &reported);
            }
        } else {
            last = readCaptureStatus(d.link, &reported);
        }
        if (last == CAMX_OK) {
            status = reported;
        }

        if (last != CAMX_OK) {
            d.captureThread.requestStop();
            const CaptureError error{last};
            callBack(nullptr, 0, nullptr, &error);
        } else if (status != previous) {
            callBack(nullptr, 0, &status, nullptr);
            previous = status;
        }
        if (!view.streaming) {
            std::this_thread::sleep_for(kStatusPollInterval);
        }
        if (last == CAMX_OK && (status == kCaptureCompleted || status == kCaptureEnded)) {
            d.captureThread.requestStop();
        }
    }
    if (status > kLastRunningStatus) {
        return;
    }
    status = kCaptureEnded;
    if (previous != kCaptureEnded) {
        callBack(nullptr, 0, &status, nullptr);
    }
}

}  // namespace sdk
