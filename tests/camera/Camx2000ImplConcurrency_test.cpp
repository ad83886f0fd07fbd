// The camera object is used by one request thread at a time (the service serialises its calls)
// while the SDK's capture thread runs the forwarding callback on it: the capturing flag, the
// last result and the client callback are shared between the two.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "camera/Camx2000Impl.h"
#include "sdk/CaptureRecorder.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::CaptureRecorder;
using simtest::SdkSimTest;
using simtest::SimCameraOptions;
using vantrel_camera::Camx2000Impl;

class Camx2000ImplConcurrency : public SdkSimTest {
protected:
    CaptureRecorder recorder;
};

TEST_F(Camx2000ImplConcurrency, RequestThreadBesideTheCaptureThread) {
    SimCameraOptions options;
    options.captureMs = 1500;
    addCamera(options);
    Camx2000Impl camera;
    ASSERT_EQ(camera.openDevice("Tavisor CMX-2000"), CAMX_OK);
    ASSERT_EQ(camera.initCamera(nullptr, nullptr), CAMX_OK);
    std::atomic<int> callbackCalls{0};
    recorder.setHook(
        [&](const sdk::ImageInfo*, std::uint32_t, const std::uint32_t*, const sdk::CaptureError*) {
            // What a frame callback may ask of the camera from the capture thread.
            camera.isCapturing();
            camera.getLastResult();
            ++callbackCalls;
        });
    ASSERT_EQ(camera.startCapture(&CaptureRecorder::callback, &recorder, 1, 3, 1, 1, 0, 1),
              CAMX_OK);
    std::atomic<int> failures{0};
    std::atomic<bool> done{false};
    std::thread request([&]() {
        while (!done) {
            std::uint8_t status = 0;
            if (camera.getCaptureStatus(&status) != CAMX_OK) {
                ++failures;
            }
            const vantrel_camera::ImageInfo* images = nullptr;
            std::uint32_t count = 0;
            const CamxStatus stream = camera.getStreamImages(&images, &count, &status);
            if (stream != CAMX_OK && stream != CAMX_SE_NO_FRAME_AVAILABLE) {
                ++failures;
            }
            camera.isCapturing();
        }
    });
    const bool ended = recorder.waitForEnd();
    done = true;
    request.join();
    ASSERT_TRUE(ended);
    EXPECT_EQ(recorder.statuses().back(), 3u);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(callbackCalls.load(), 0);
    EXPECT_EQ(camera.isCapturing(), 0u);
}

TEST_F(Camx2000ImplConcurrency, NewCaptureWhileTheLastOneIsEnding) {
    SimCameraOptions options;
    options.captureMs = 200;
    addCamera(options);
    Camx2000Impl camera;
    ASSERT_EQ(camera.openDevice("Tavisor CMX-2000"), CAMX_OK);
    ASSERT_EQ(camera.initCamera(nullptr, nullptr), CAMX_OK);
    // Back to back: each start waits for the previous capture's thread and replaces the
    // client callback the previous thread may still be reading.
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(camera.startCapture(&CaptureRecorder::callback, &recorder, 1, 3, 1, 1, 0, 1),
                  CAMX_OK);
        ASSERT_TRUE(recorder.waitForFrames(recorder.frames() + 1));
    }
    ASSERT_EQ(camera.stopCapture(), CAMX_OK);
    EXPECT_EQ(camera.isCapturing(), 0u);
}

}  // namespace
