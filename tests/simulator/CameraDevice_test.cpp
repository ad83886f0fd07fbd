// Rules every command obeys: armed failures (once, and after the data phase for commands that
// take one), unknown codes, and initialisation.

#include "simulator/CameraDevice.h"

#include <gtest/gtest.h>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CameraTestKit.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;

TEST(CameraDevice, AnArmedFailureAnswersTheNextCommandOfItsCodeOnce) {
    CameraKit kit;
    kit.camera.armFailure(cmd::kInitCamera, 0x1005);
    kit.camera.armFailure(cmd::kEnrolleeRecord, CAMX_GAL_ID_NOT_EXIST);
    EXPECT_EQ(kit.run(cmd::kReadCameraConfig).status, CAMX_OK);  // other codes unaffected
    const CommandOutcome failed = kit.run(cmd::kInitCamera);
    EXPECT_EQ(failed.status, 0x1005);
    EXPECT_TRUE(failed.results.empty());
    EXPECT_FALSE(kit.state().initialised);  // the command did not run
    EXPECT_EQ(kit.run(cmd::kInitCamera).status, CAMX_OK);
    const CommandOutcome missing = kit.run(cmd::kEnrolleeRecord, test::textParam("x"));
    EXPECT_EQ(missing.status, CAMX_GAL_ID_NOT_EXIST);
    EXPECT_TRUE(missing.results.empty());
}

TEST(CameraDevice, AnArmedFailureOfADataCommandComesAfterItsData) {
    CameraKit kit;
    const std::vector<std::uint8_t> config = kit.run(cmd::kReadCameraConfig).data;
    kit.camera.armFailure(cmd::kWriteCameraConfig, 0x1008);
    CommandBlock block;
    block.code = cmd::kWriteCameraConfig;
    block.params = {46, 0, 0, 0};
    const CommandOutcome ack = kit.camera.begin(block, kit.now);
    EXPECT_EQ(ack.dataOutLength, 46u);
    EXPECT_EQ(kit.camera.finish(block, config, kit.now).status, 0x1008);
    // A wrong announcement still answers the armed status at once.
    kit.camera.armFailure(cmd::kWriteCameraConfig, 0x1008);
    block.params = {7, 0, 0, 0};
    const CommandOutcome refused = kit.camera.begin(block, kit.now);
    EXPECT_EQ(refused.dataOutLength, 0u);
    EXPECT_EQ(refused.status, 0x1008);
}

TEST(CameraDevice, UnknownCodesAndUninitialisedCapturesAreRefused) {
    CameraKit kit;
    EXPECT_EQ(kit.run(0x7777).status, CAMX_DEV_PROC_NOT_FOUND);
    for (std::uint16_t code : {cmd::kStartCapture, cmd::kStreamImages, cmd::kResultImage,
                               cmd::kResultQuality, cmd::kIsoImage, cmd::kResultTemplate,
                               cmd::kIdentify, cmd::kEnroll, cmd::kCameraCommand}) {
        EXPECT_EQ(kit.run(code, std::vector<std::uint8_t>(20, 1)).status, CAMX_SE_NOT_INIT)
            << std::hex << code;
    }
    // The gallery works without initialisation.
    EXPECT_EQ(kit.run(cmd::kListEnrollees, {0, 3, 0, 0, 0}).status, CAMX_GAL_EMPTY);
    EXPECT_EQ(kit.run(cmd::kCommitGallery).status, CAMX_OK);
}

TEST(CameraDevice, TheHostGoingAwayStopsARunningCapture) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    kit.run(cmd::kStartCapture, test::startParams());
    kit.advance(100);
    kit.camera.hostDetached(kit.now);
    EXPECT_EQ(kit.run(cmd::kCaptureStatus).results.at(0), 5);
}

}  // namespace
}  // namespace ocusim
