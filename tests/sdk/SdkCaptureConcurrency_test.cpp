// The capture thread and request threads use one device at the same time; every exchange runs
// under the device's lock, so replies never cross and nothing is touched unguarded. These
// suites also run under ThreadSanitizer.

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "sdk/CaptureRecorder.h"
#include "sdk/SdkDevice.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::CaptureRecorder;
using simtest::SdkSimTest;
using simtest::SimCameraOptions;

class SdkCaptureConcurrency : public SdkSimTest {
protected:
    sdk::SdkHandle openInitialised() {
        sdk::SdkHandle handle = nullptr;
        EXPECT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
        EXPECT_EQ(sdk::sdkInitCamera(handle, nullptr, nullptr), CAMX_OK);
        return handle;
    }

    // Statuses seen by the request threads, with the count of calls.
    struct Seen {
        std::mutex mutex;
        std::set<CamxStatus> statuses;
        std::atomic<int> calls{0};
        void add(CamxStatus status) {
            ++calls;
            std::lock_guard<std::mutex> lock(mutex);
            statuses.insert(status);
        }
    };

    CaptureRecorder recorder;
};

TEST_F(SdkCaptureConcurrency, RequestThreadsBesideTheCaptureThread) {
    SimCameraOptions options;
    options.captureMs = 4000;
    addCamera(options);
    sdk::SdkHandle handle = openInitialised();
    std::atomic<int> fromCallback{0};
    std::atomic<int> callbackFailures{0};
    recorder.setHook([&](const sdk::ImageInfo* images, std::uint32_t, const std::uint32_t*,
                         const sdk::CaptureError*) {
        if (images == nullptr) {
            return;
        }
        std::uint8_t status = 0;
        if (sdk::sdkGetCaptureStatus(handle, &status) != CAMX_OK) {
            ++callbackFailures;
        }
        ++fromCallback;
    });
    ASSERT_EQ(sdk::sdkStartCapture(handle, 1, 3, 1, 1, 0, 1, &CaptureRecorder::callback, &recorder),
              CAMX_OK);

    std::atomic<bool> done{false};
    Seen info;
    Seen config;
    Seen stream;
    std::vector<std::thread> requests;
    requests.emplace_back([&]() {
        while (!done) {
            sdk::DeviceInfo deviceInfo;
            info.add(sdk::sdkGetDeviceInfo(handle, &deviceInfo));
        }
    });
    requests.emplace_back([&]() {
        while (!done) {
            sdk::CameraConfig cameraConfig;
            config.add(sdk::sdkGetCameraConfig(handle, &cameraConfig));
        }
    });
    // The camera hands each frame out once, so this thread joins only after the capture thread
    // has had one; racing it from the start, it can take every frame on a loaded machine.
    requests.emplace_back([&]() {
        while (!done && fromCallback.load() == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        while (!done) {
            const sdk::ImageInfo* images = nullptr;
            std::uint32_t count = 0;
            std::uint8_t status = 0;
            const CamxStatus result = sdk::sdkGetStreamImages(handle, &images, &count, &status);
            if (result == CAMX_OK && (count != 1 || images[0].size != 640u * 480u)) {
                stream.add(CAMX_DEVICE_IO_DATA_INVALID);
            } else {
                stream.add(result);
            }
        }
    });
    const bool ended = recorder.waitForEnd();
    done = true;
    for (std::thread& thread : requests) {
        thread.join();
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(recorder.statuses().back(), 3u);
    EXPECT_TRUE(recorder.errors().empty());
    EXPECT_EQ(recorder.badFrames(), 0);
    EXPECT_GT(fromCallback.load(), 0);
    EXPECT_EQ(callbackFailures.load(), 0);
    EXPECT_EQ(info.statuses, std::set<CamxStatus>{CAMX_OK});
    EXPECT_EQ(config.statuses, std::set<CamxStatus>{CAMX_OK});
    // Live frames while the capture runs; none once it has completed.
    for (CamxStatus status : stream.statuses) {
        EXPECT_TRUE(status == CAMX_OK || status == CAMX_SE_NO_FRAME_AVAILABLE) << status;
    }
    EXPECT_GT(info.calls.load(), 0);
    EXPECT_GT(config.calls.load(), 0);
    EXPECT_GT(stream.calls.load(), 0);
}

TEST_F(SdkCaptureConcurrency, StopWhileRequestsRun) {
    SimCameraOptions options;
    options.captureMs = 600000;
    addCamera(options);
    sdk::SdkHandle handle = openInitialised();
    ASSERT_EQ(sdk::sdkStartCapture(handle, 1, 3, 1, 1, 0, 1, &CaptureRecorder::callback, &recorder),
              CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(2));
    std::atomic<bool> done{false};
    Seen seen;
    std::thread request([&]() {
        while (!done) {
            std::uint8_t status = 0;
            seen.add(sdk::sdkGetCaptureStatus(handle, &status));
        }
    });
    ASSERT_TRUE(recorder.waitForFrames(recorder.frames() + 2));
    EXPECT_EQ(sdk::sdkStopCapture(handle), CAMX_OK);
    done = true;
    request.join();
    EXPECT_EQ(recorder.statuses().back(), 5u);
    EXPECT_EQ(seen.statuses, std::set<CamxStatus>{CAMX_OK});
}

// A device closed while another thread still calls with its handle stays alive until that call
// is over; later calls find the handle invalid.
TEST_F(SdkCaptureConcurrency, CloseWhileAnotherThreadUsesTheHandle) {
    addCamera();
    sdk::SdkHandle handle = openInitialised();
    std::atomic<bool> done{false};
    Seen seen;
    std::thread user([&]() {
        while (!done) {
            std::uint8_t status = 0;
            seen.add(sdk::sdkGetCaptureStatus(handle, &status));
            sdk::DeviceInfo info;
            seen.add(sdk::sdkGetDeviceInfo(handle, &info));
        }
    });
    while (seen.calls.load() < 20) {
        std::this_thread::yield();
    }
    EXPECT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
    const int callsAtClose = seen.calls.load();
    while (seen.calls.load() < callsAtClose + 20) {
        std::this_thread::yield();
    }
    done = true;
    user.join();
    std::lock_guard<std::mutex> lock(seen.mutex);
    EXPECT_TRUE(seen.statuses.count(CAMX_OK));
    EXPECT_TRUE(seen.statuses.count(CAMX_INVALID_HANDLE));
    for (CamxStatus status : seen.statuses) {
        // A call that got in before the close finished may meet the closed transport.
        EXPECT_TRUE(status == CAMX_OK || status == CAMX_INVALID_HANDLE ||
                    status == CAMX_DEVICE_NOT_OPEN)
            << status;
    }
}

// A capture thread stuck in its callback after the capture was stopped from there: closing the
// device waits the teardown's ten seconds, then for the callback to return, and abandons the
// thread, which ends on its own without calling back again and frees the device it still held.
TEST_F(SdkCaptureConcurrency, CloseGivesUpOnAThreadStuckInItsCallback) {
    SimCameraOptions options;
    options.captureMs = 600000;
    addCamera(options);
    sdk::SdkHandle handle = openInitialised();
    std::atomic<bool> stopped{false};
    std::atomic<bool> release{false};
    std::atomic<bool> closed{false};
    std::atomic<int> afterClose{0};
    recorder.setHook([&](const sdk::ImageInfo* images, std::uint32_t, const std::uint32_t*,
                         const sdk::CaptureError*) {
        if (closed) {
            ++afterClose;
        }
        if (images != nullptr && !stopped.exchange(true)) {
            sdk::sdkStopCapture(handle);
            while (!release) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    });
    ASSERT_EQ(sdk::sdkStartCapture(handle, 1, 3, 1, 1, 0, 1, &CaptureRecorder::callback, &recorder),
              CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(1));
    std::atomic<CamxStatus> closeStatus{0xFFFF};
    std::thread closer([&]() {
        closeStatus = sdk::sdkCloseDevice(handle);
        closed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(sdk::kTeardownThreadWaitMs + 1000));
    release = true;
    closer.join();
    EXPECT_EQ(closeStatus.load(), CAMX_OK);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_INVALID_HANDLE);
    // Give an abandoned thread the chance to misbehave before the recorder is checked.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(afterClose.load(), 0);
}

}  // namespace
