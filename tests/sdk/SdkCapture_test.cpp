#include <atomic>
#include <string>
#include <thread>

#include "sdk/CaptureRecorder.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::CaptureRecorder;
using simtest::SdkSimTest;
using simtest::SimCamera;
using simtest::SimCameraOptions;

constexpr std::uint32_t kCompleted = 3;
constexpr std::uint32_t kEnded = 5;

class SdkCaptureTest : public SdkSimTest {
protected:
    // Opens and initialises the one camera present.
    sdk::SdkHandle openInitialised(const char* name = "Tavisor CMX-2000") {
        sdk::SdkHandle handle = nullptr;
        EXPECT_EQ(sdk::sdkOpenDevice(name, &handle), CAMX_OK);
        EXPECT_EQ(sdk::sdkInitCamera(handle, nullptr, nullptr), CAMX_OK);
        return handle;
    }

    CamxStatus start(sdk::SdkHandle handle, std::uint32_t count = 3, std::uint8_t quality = 1,
                     std::uint8_t eye = 0, std::uint8_t operation = 1, std::uint8_t mode = 1) {
        return sdk::sdkStartCapture(handle, mode, count, quality, operation, eye, 1,
                                    &CaptureRecorder::callback, &recorder);
    }

    static SimCameraOptions longCapture(const std::string& model = "mono") {
        SimCameraOptions options;
        options.model = model;
        options.captureMs = 600000;
        return options;
    }

    // Outlives the test body: a capture thread still calling back meets a live recorder until
    // TearDown has closed every device.
    CaptureRecorder recorder;
};

TEST_F(SdkCaptureTest, ParametersOutOfRangeAreRefused) {
    addCamera();
    sdk::SdkHandle handle = openInitialised();
    EXPECT_EQ(start(handle, 0), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(start(handle, 60001), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(start(handle, 60000 + 65536), CAMX_INVALID_PARAMETER);  // not cut to 16 bits
    EXPECT_EQ(start(handle, 3, 4), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(start(handle, 3, 0), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(start(handle, 3, 1, 1), CAMX_INVALID_PARAMETER);  // eye subtype on a monocular
    EXPECT_EQ(start(handle, 3, 1, 0, 3), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(start(handle, 3, 1, 0, 1, 3), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(cameras[0]->count(0x2009), 0);
    EXPECT_EQ(recorder.callbacks(), 0);
}

TEST_F(SdkCaptureTest, OperationModeTwoNeedsNewerFirmware) {
    SimCameraOptions old;
    old.firmware = "0x2001b";
    addCamera(old);
    sdk::SdkHandle handle = openInitialised();
    EXPECT_EQ(start(handle, 3, 1, 0, 2), CAMX_INVALID_PARAMETER);
    ASSERT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
    cameras[0]->stop();

    SimCameraOptions current;
    current.firmware = "0x2001c";
    current.serialNumber = "SIM00002";
    addCamera(current);
    sdk::sdkInit();
    handle = openInitialised();
    EXPECT_EQ(start(handle, 3, 1, 0, 2), CAMX_OK);
    EXPECT_TRUE(recorder.waitForEnd());
}

TEST_F(SdkCaptureTest, CaptureNeedsAnInitialisedCamera) {
    addCamera();
    sdk::SdkHandle handle = nullptr;
    ASSERT_EQ(sdk::sdkOpenDevice("Tavisor CMX-2000", &handle), CAMX_OK);
    EXPECT_EQ(start(handle), CAMX_SE_NOT_INIT);
    EXPECT_EQ(sdk::sdkStopCapture(handle), CAMX_SE_NOT_INIT);
    EXPECT_EQ(sdk::sdkDeinitCamera(handle), CAMX_SE_NOT_INIT);
    EXPECT_EQ(sdk::sdkCommand2010(handle), CAMX_SE_NOT_INIT);
    ASSERT_EQ(sdk::sdkInitCamera(handle, nullptr, nullptr), CAMX_OK);
    EXPECT_EQ(sdk::sdkCommand2010(handle), CAMX_OK);
    EXPECT_EQ(sdk::sdkStopCapture(handle), CAMX_SE_STARTSTOP_CAPTURE_FAILED);
}

TEST_F(SdkCaptureTest, FullCaptureReportsProgressAndFrames) {
    SimCamera& camera = addCamera();
    sdk::SdkHandle handle = openInitialised();
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_EQ(recorder.statuses().back(), kCompleted) << simtest::describe(recorder);
    // The camera goes from 0 (before its first frame, as the thread starts out) through 2 to
    // 3; the changes arrive in order (with the frame that brought them, then on their own).
    std::vector<std::uint32_t> statuses = recorder.statuses();
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_EQ(statuses.front(), 2u);
    for (std::size_t i = 1; i < statuses.size(); ++i) {
        EXPECT_LE(statuses[i - 1], statuses[i]);
    }
    EXPECT_GT(recorder.frames(), 0);
    EXPECT_EQ(recorder.badFrames(), 0);
    EXPECT_TRUE(recorder.errors().empty());

    // The result is there, and the thread is gone: a new capture can start.
    const sdk::ImageInfo* images = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::sdkGetResultImage(handle, 1, 2, 50, &images, &count), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(images[0].width, 640u);
    EXPECT_EQ(images[0].size, 640u * 480u);
    EXPECT_GE(camera.count(0x200F), recorder.frames());
}

TEST_F(SdkCaptureTest, BinocularCaptureDeliversTwoFramesPerCall) {
    SimCameraOptions options;
    options.model = "bino";
    addCamera(options);
    sdk::SdkHandle handle = openInitialised("Tavisor CMX-2000D");
    recorder.expectFramesPerCall(2);
    ASSERT_EQ(start(handle, 3, 1, 3), CAMX_OK);
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_EQ(recorder.statuses().back(), kCompleted) << simtest::describe(recorder);
    EXPECT_GT(recorder.frames(), 0);
    EXPECT_EQ(recorder.badFrames(), 0);
    const sdk::ImageInfo* images = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::sdkGetResultImage(handle, 1, 2, 50, &images, &count), CAMX_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_NE(images[0].data, nullptr);
    EXPECT_NE(images[1].data, nullptr);
}

TEST_F(SdkCaptureTest, StopFromAnotherThreadEndsTheThreadWithStatusFive) {
    SimCamera& camera = addCamera(longCapture());
    sdk::SdkHandle handle = openInitialised();
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(3));
    ASSERT_EQ(sdk::sdkStopCapture(handle), CAMX_OK);
    // The thread has ended by the time the stop returns: its last word was status 5.
    const int callbacks = recorder.callbacks();
    EXPECT_EQ(recorder.statuses().back(), kEnded);
    EXPECT_EQ(camera.count(0x200A), 1);
    EXPECT_EQ(sdk::sdkStopCapture(handle), CAMX_SE_STARTSTOP_CAPTURE_FAILED);
    EXPECT_EQ(recorder.callbacks(), callbacks);
}

TEST_F(SdkCaptureTest, StopFromInsideTheCallbackDoesNotWaitForItself) {
    addCamera(longCapture());
    sdk::SdkHandle handle = openInitialised();
    std::atomic<bool> stopped{false};
    std::atomic<CamxStatus> stopStatus{0xFFFF};
    recorder.setHook([&](const sdk::ImageInfo* images, std::uint32_t, const std::uint32_t*,
                         const sdk::CaptureError*) {
        if (images != nullptr && !stopped.exchange(true)) {
            stopStatus = sdk::sdkStopCapture(handle);
        }
    });
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_TRUE(stopped.load());
    EXPECT_EQ(stopStatus.load(), CAMX_OK);
    EXPECT_EQ(recorder.statuses().back(), kEnded);
    // The next capture waits for that thread to be gone and runs normally.
    SimCamera& camera = *cameras[0];
    ASSERT_EQ(camera.control("capture-ms 300"), "ok");
    recorder.setHook(nullptr);
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(recorder.frames() + 1));
}

TEST_F(SdkCaptureTest, StartOrCloseFromInsideTheCallback) {
    addCamera(longCapture());
    sdk::SdkHandle handle = openInitialised();
    std::atomic<int> step{0};
    std::atomic<CamxStatus> startStatus{0xFFFF};
    std::atomic<CamxStatus> closeStatus{0xFFFF};
    recorder.setHook([&](const sdk::ImageInfo* images, std::uint32_t, const std::uint32_t*,
                         const sdk::CaptureError*) {
        if (images == nullptr) {
            return;
        }
        const int now = step.fetch_add(1);
        if (now == 0) {
            // The thread this runs on is the capture's own: no new one can start here.
            startStatus = sdk::sdkStartCapture(handle, 1, 3, 1, 1, 0, 1, &CaptureRecorder::callback,
                                               &recorder);
        } else if (now == 1) {
            closeStatus = sdk::sdkCloseDevice(handle);
        }
    });
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(2));
    // After the close, the thread calls back no more.
    ASSERT_TRUE(released(*cameras[0]));
    EXPECT_EQ(startStatus.load(), CAMX_THREAD_FAILED);
    EXPECT_EQ(closeStatus.load(), CAMX_OK);
    EXPECT_EQ(sdk::sdkCheckHandle(handle), CAMX_INVALID_HANDLE);
    EXPECT_EQ(step.load(), 2);
}

TEST_F(SdkCaptureTest, CameraDyingMidCaptureEndsWithAnErrorAndStatusFive) {
    SimCamera& camera = addCamera(longCapture());
    sdk::SdkHandle handle = openInitialised();
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(3));
    camera.kill();
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_EQ(recorder.statuses().back(), kEnded);
    const std::vector<CamxStatus> errors = recorder.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0] == CAMX_DEVICE_IO_FAILED || errors[0] == CAMX_DEVICE_IO_TIMEOUT ||
                errors[0] == CAMX_DEVICE_IO_DATA_INVALID)
        << errors[0];

    EXPECT_EQ(sdk::sdkCloseDevice(handle), CAMX_OK);
    ASSERT_TRUE(camera.start()) << camera.error();
    handle = openInitialised();
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(recorder.frames() + 3));
}

TEST_F(SdkCaptureTest, SerialCameraCaptures) {
    SimCameraOptions options = serialCamera("ttyCam", 921600);
    options.captureMs = 1000;
    addCamera(options);
    useSerial(921600);
    sdk::SdkHandle handle = openInitialised(options.serialLink.c_str());
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForEnd(60));
    EXPECT_EQ(recorder.statuses().back(), kCompleted);
    EXPECT_GT(recorder.frames(), 0);
    EXPECT_EQ(recorder.badFrames(), 0);
}

TEST_F(SdkCaptureTest, PollingByHandWithoutCallback) {
    addCamera(longCapture());
    sdk::SdkHandle handle = openInitialised();
    const sdk::ImageInfo* images = nullptr;
    std::uint32_t count = 0;
    std::uint8_t status = 0xFF;
    EXPECT_EQ(sdk::sdkGetStreamImages(handle, &images, &count, &status),
              CAMX_SE_NO_FRAME_AVAILABLE);
    EXPECT_EQ(cameras[0]->count(0x200F), 0);
    ASSERT_EQ(sdk::sdkStartCapture(handle, 1, 3, 1, 1, 0, 1, nullptr, nullptr), CAMX_OK);
    ASSERT_EQ(sdk::sdkGetStreamImages(handle, &images, &count, &status), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(images[0].size, 640u * 480u);
    EXPECT_EQ(status, 2);
    ASSERT_EQ(sdk::sdkGetCaptureStatus(handle, &status), CAMX_OK);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(sdk::sdkStopCapture(handle), CAMX_OK);
    ASSERT_EQ(sdk::sdkGetCaptureStatus(handle, &status), CAMX_OK);
    EXPECT_EQ(status, kEnded);
    EXPECT_EQ(recorder.callbacks(), 0);
}

TEST_F(SdkCaptureTest, DeinitStopsARunningCapture) {
    SimCamera& camera = addCamera(longCapture());
    sdk::SdkHandle handle = openInitialised();
    ASSERT_EQ(start(handle), CAMX_OK);
    ASSERT_TRUE(recorder.waitForFrames(1));
    ASSERT_EQ(sdk::sdkDeinitCamera(handle), CAMX_OK);
    EXPECT_EQ(recorder.statuses().back(), kEnded);
    EXPECT_EQ(camera.count(0x200A), 1);
    EXPECT_EQ(camera.state("initialised"), "0");
}

}  // namespace
