// Sensor and capture commands: initialisation, the capture status timeline, live frames and
// their pacing, stopping, and the checks on start-capture parameters.

#include "simulator/CaptureCommands.h"

#include <gtest/gtest.h>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CameraTestKit.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::KitOptions;
using test::startParams;
using test::u32At;

std::uint32_t captureStatus(CameraKit& kit) {
    const CommandOutcome outcome = kit.run(cmd::kCaptureStatus);
    EXPECT_EQ(outcome.status, CAMX_OK);
    return u32At(outcome.results, 0) & 0xFF;
}

TEST(CaptureCommands, InitialisingReportsTheFrameSize) {
    CameraKit kit;
    EXPECT_EQ(kit.run(cmd::kStartCapture, startParams()).status, CAMX_SE_NOT_INIT);
    EXPECT_EQ(kit.run(cmd::kDeinitCamera).status, CAMX_SE_NOT_INIT);
    const CommandOutcome init = kit.run(cmd::kInitCamera);
    EXPECT_EQ(init.status, CAMX_OK);
    ASSERT_EQ(init.results.size(), 8u);
    EXPECT_EQ(u32At(init.results, 0), 640u);
    EXPECT_EQ(u32At(init.results, 4), 480u);
    EXPECT_EQ(kit.run(cmd::kCameraCommand).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kDeinitCamera).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kCameraCommand).status, CAMX_SE_NOT_INIT);
}

TEST(CaptureCommands, StatusMovesFromStartingThroughCapturingToComplete) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    EXPECT_EQ(captureStatus(kit), 0u);
    ASSERT_EQ(kit.run(cmd::kStartCapture, startParams()).status, CAMX_OK);
    EXPECT_EQ(captureStatus(kit), 0u);
    kit.advance(40);
    EXPECT_EQ(captureStatus(kit), 2u);
    kit.advance(200);
    EXPECT_EQ(captureStatus(kit), 2u);
    kit.advance(100);
    EXPECT_EQ(captureStatus(kit), 3u);
    // Stopping a completed capture keeps its result.
    EXPECT_EQ(kit.run(cmd::kStopCapture).status, CAMX_OK);
    EXPECT_EQ(captureStatus(kit), 3u);
    EXPECT_EQ(kit.run(cmd::kResultQuality, {0}).status, CAMX_OK);
}

TEST(CaptureCommands, StopEndsARunningCaptureWithStatusFive) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    kit.run(cmd::kStartCapture, startParams());
    kit.advance(100);
    EXPECT_EQ(kit.run(cmd::kStopCapture).status, CAMX_OK);
    EXPECT_EQ(captureStatus(kit), 5u);
    kit.advance(1000);
    EXPECT_EQ(captureStatus(kit), 5u);
    EXPECT_EQ(kit.run(cmd::kStreamImages).status, CAMX_SE_NO_FRAME_AVAILABLE);
    EXPECT_EQ(kit.run(cmd::kResultImage, test::imageParams(1, 2)).status,
              CAMX_SE_NO_QUALIFIED_FRAME);
    // A new capture may start after a stop.
    EXPECT_EQ(kit.run(cmd::kStartCapture, startParams()).status, CAMX_OK);
}

TEST(CaptureCommands, SecondStartWhileCapturingIsRefused) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    ASSERT_EQ(kit.run(cmd::kStartCapture, startParams()).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kStartCapture, startParams()).status, CAMX_SE_STARTSTOP_CAPTURE_FAILED);
}

TEST(CaptureCommands, StartParametersAreChecked) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> params;
        bool binocular;
        std::uint32_t firmware;
        std::uint16_t status;
    };
    auto with = [](std::size_t offset, std::uint8_t value, std::uint8_t subtype = 0) {
        std::vector<std::uint8_t> params = startParams(subtype);
        params[offset] = value;
        return params;
    };
    std::vector<std::uint8_t> countZero = startParams();
    countZero[1] = 0;
    countZero[2] = 0;
    const std::vector<std::uint8_t> full = startParams();
    const std::vector<std::uint8_t> sixBytes(full.begin(), full.end() - 1);
    std::vector<std::uint8_t> count60001 = startParams();
    count60001[1] = 60001 & 0xFF;
    count60001[2] = 60001 >> 8;
    const std::vector<Case> cases = {
        {"mode 3", with(0, 3), false, 0x30020, CAMX_INVALID_PARAMETER},
        {"count 0", countZero, false, 0x30020, CAMX_INVALID_PARAMETER},
        {"count 60001", count60001, false, 0x30020, CAMX_INVALID_PARAMETER},
        {"quality mode 4", with(3, 4), false, 0x30020, CAMX_INVALID_PARAMETER},
        {"operation mode 2, old firmware", with(4, 2), false, 0x2001B, CAMX_INVALID_PARAMETER},
        {"operation mode 2, new firmware", with(4, 2), false, 0x2001C, CAMX_OK},
        {"eye subtype 1, monocular", startParams(1), false, 0x30020, CAMX_INVALID_PARAMETER},
        {"eye subtype 3, binocular", startParams(3), true, 0x30020, CAMX_OK},
        {"eye subtype 4, binocular", startParams(4), true, 0x30020, CAMX_INVALID_PARAMETER},
        {"six bytes", sixBytes, false, 0x30020, CAMX_DEV_BAD_DATA},
    };
    for (const Case& c : cases) {
        KitOptions options;
        options.binocular = c.binocular;
        options.firmware = c.firmware;
        CameraKit kit(options);
        kit.run(cmd::kInitCamera);
        EXPECT_EQ(kit.run(cmd::kStartCapture, c.params).status, c.status) << c.what;
    }
}

TEST(CaptureCommands, LiveFramesArriveOncePerFramePeriod) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    EXPECT_EQ(kit.run(cmd::kStreamImages).status, CAMX_SE_NO_FRAME_AVAILABLE);
    kit.run(cmd::kStartCapture, startParams());
    const Clock::time_point start = kit.now;

    // Before the first frame the camera answers when it is taken.
    CommandOutcome first = kit.run(cmd::kStreamImages);
    ASSERT_EQ(first.status, CAMX_OK);
    EXPECT_GT(first.notBefore, kit.now);
    EXPECT_EQ(u32At(first.results, 0), first.data.size());
    EXPECT_EQ(u32At(first.results, 4), 1u);
    EXPECT_EQ(u32At(first.results, 8), 2u);
    ASSERT_EQ(first.data.size(), 10u + 640 * 480);
    EXPECT_EQ(first.data[0], 2);  // capture status
    EXPECT_EQ(first.data[1], 2);  // raw
    EXPECT_EQ(u32At(first.data, 2), 640u);
    EXPECT_EQ(u32At(first.data, 6), 480u);

    // Asked again at once, the camera waits for the next frame instead of repeating one.
    const CommandOutcome second = kit.run(cmd::kStreamImages);
    ASSERT_EQ(second.status, CAMX_OK);
    EXPECT_EQ(u32At(second.results, 4), 2u);
    EXPECT_GT(second.notBefore, first.notBefore);
    EXPECT_NE(first.data, second.data);

    // Late, it hands out the newest frame at once.
    kit.now = start + std::chrono::milliseconds(200);
    const CommandOutcome late = kit.run(cmd::kStreamImages);
    ASSERT_EQ(late.status, CAMX_OK);
    EXPECT_EQ(late.notBefore, kit.now);
    EXPECT_EQ(u32At(late.results, 4), 6u);

    // After completion: no frame.
    kit.now = start + std::chrono::milliseconds(301);
    EXPECT_EQ(kit.run(cmd::kStreamImages).status, CAMX_SE_NO_FRAME_AVAILABLE);
}

TEST(CaptureCommands, TheLastFrameRequestWaitsForCompletionAndFindsNone) {
    KitOptions options;
    options.captureMs = 310;  // frame 9 at 300 ms is the last; frame 10 would come at 333 ms
    CameraKit kit(options);
    kit.run(cmd::kInitCamera);
    kit.run(cmd::kStartCapture, startParams());
    kit.advance(305);
    ASSERT_EQ(kit.run(cmd::kStreamImages).status, CAMX_OK);
    const CommandOutcome none = kit.run(cmd::kStreamImages);
    EXPECT_EQ(none.status, CAMX_SE_NO_FRAME_AVAILABLE);
    EXPECT_GT(none.notBefore, kit.now);
}

TEST(CaptureCommands, BinocularStreamsCarryOneFramePerImagedEye) {
    KitOptions options;
    options.binocular = true;
    for (std::uint8_t subtype : {0, 1, 2, 3}) {
        CameraKit kit(options);
        kit.run(cmd::kInitCamera);
        ASSERT_EQ(kit.run(cmd::kStartCapture, startParams(subtype)).status, CAMX_OK);
        kit.advance(50);
        const CommandOutcome frames = kit.run(cmd::kStreamImages);
        ASSERT_EQ(frames.status, CAMX_OK);
        const std::size_t eyes = subtype == 1 || subtype == 2 ? 1 : 2;
        EXPECT_EQ(frames.data.size(), 10u + eyes * 640 * 480) << int(subtype);
    }
}

TEST(CaptureCommands, LiveFramesShowTheSubjectApproaching) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    kit.run(cmd::kStartCapture, startParams());
    kit.advance(40);
    const CommandOutcome early = kit.run(cmd::kStreamImages);
    kit.advance(220);
    const CommandOutcome late = kit.run(cmd::kStreamImages);
    // Count dark (pupil) pixels: the eye grows as the subject comes nearer.
    auto dark = [](const std::vector<std::uint8_t>& data) {
        int count = 0;
        for (std::size_t i = 10; i < data.size(); ++i) {
            count += data[i] < 40;
        }
        return count;
    };
    EXPECT_GT(dark(late.data), dark(early.data));
}

TEST(CaptureCommands, EyeOptionIsCheckedAgainstTheOptics) {
    CameraKit mono;
    EXPECT_EQ(mono.run(cmd::kEyeOption, {0}).status, CAMX_OK);
    EXPECT_EQ(mono.run(cmd::kEyeOption, {1}).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(mono.run(cmd::kEyeOption, {}).status, CAMX_DEV_BAD_DATA);
    KitOptions options;
    options.binocular = true;
    CameraKit bino(options);
    EXPECT_EQ(bino.run(cmd::kEyeOption, {2}).status, CAMX_OK);
    EXPECT_EQ(bino.state().eyeOption, 2);
    EXPECT_EQ(bino.run(cmd::kEyeOption, {4}).status, CAMX_INVALID_PARAMETER);
}

}  // namespace
}  // namespace ocusim
