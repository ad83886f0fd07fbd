// Enrollment, the gallery reply, unenrollment and the gallery's limits, as the camera answers
// its gallery commands.

#include "simulator/GalleryCommands.h"

#include <gtest/gtest.h>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CameraTestKit.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::KitOptions;
using test::textParam;
using test::u32At;

struct GalleryReply {
    std::uint16_t status = 0;
    std::uint32_t count = 0;
    std::uint32_t used = 0;
    std::uint32_t maximum = 0;
    std::uint32_t namesLength = 0;
    std::vector<std::string> names;
};

GalleryReply list(CameraKit& kit, bool names, std::uint16_t code = cmd::kListEnrollees) {
    const CommandOutcome outcome = kit.run(code, {static_cast<std::uint8_t>(names), 3, 0, 0, 0});
    GalleryReply reply;
    reply.status = outcome.status;
    EXPECT_EQ(outcome.results.size(), 16u);
    reply.count = u32At(outcome.results, 0);
    reply.used = u32At(outcome.results, 4);
    reply.maximum = u32At(outcome.results, 8);
    reply.namesLength = u32At(outcome.results, 12);
    std::string current;
    for (std::uint8_t byte : outcome.data) {
        if (byte == 0) {
            reply.names.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(byte));
        }
    }
    EXPECT_TRUE(current.empty());
    if (!outcome.data.empty()) {
        EXPECT_EQ(outcome.data.size(), reply.namesLength);
    }
    return reply;
}

void enableDeduplication(CameraKit& kit) {
    std::vector<std::uint8_t> config = kit.run(cmd::kReadCameraConfig).data;
    config[1] = 1;
    ASSERT_EQ(kit.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, config).status, CAMX_OK);
}

TEST(GalleryCommands, AnEmptyGalleryAnswersGalleryEmptyOrZeroAsConfigured) {
    CameraKit kit;
    GalleryReply reply = list(kit, true);
    EXPECT_EQ(reply.status, CAMX_GAL_EMPTY);
    EXPECT_EQ(reply.count, 0u);
    EXPECT_EQ(reply.maximum, 1000u);
    EXPECT_TRUE(reply.names.empty());
    kit.state().scene.emptyGalleryStatus = 0;
    EXPECT_EQ(list(kit, true).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kLoadGallery, {1}).status, CAMX_OK);
}

TEST(GalleryCommands, EnrollmentAddsTheCapturesEyesUnderTheId) {
    KitOptions options;
    options.binocular = true;
    CameraKit kit(options);
    kit.capture("alice");
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_OK);
    kit.capture("bob");
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("bob2")).status, CAMX_OK);
    const GalleryReply reply = list(kit, true);
    EXPECT_EQ(reply.status, CAMX_OK);
    EXPECT_EQ(reply.count, 2u);
    EXPECT_EQ(reply.used, 4u);  // two eyes each
    EXPECT_EQ(reply.names, (std::vector<std::string>{"alice", "bob2"}));
    EXPECT_EQ(reply.namesLength, 11u);
    // Without the names flag: counts only, no data phase.
    const GalleryReply quiet = list(kit, false);
    EXPECT_EQ(quiet.count, 2u);
    EXPECT_TRUE(quiet.names.empty());
    EXPECT_EQ(list(kit, true, cmd::kListEnrolleesOther).names, reply.names);

    const CommandOutcome record = kit.run(cmd::kEnrolleeRecord, textParam("alice"));
    ASSERT_EQ(record.status, CAMX_OK);
    ASSERT_EQ(record.results.size(), 12u);
    EXPECT_EQ(u32At(record.results, 0), 1u);        // template version
    EXPECT_EQ(u32At(record.results, 4), 0x30020u);  // made by this firmware
    EXPECT_EQ(record.results[8], 1);                // left
    EXPECT_EQ(record.results[9], 1);                // right
    EXPECT_EQ(record.results[10], 0);               // unknown
    EXPECT_EQ(record.results[11], 2);               // total
}

TEST(GalleryCommands, UserIdsAreLettersAndDigitsOnly) {
    CameraKit kit;
    kit.capture("alice");
    for (const char* id :
         {"", "has_underscore", "has-hyphen", "0123456789012345678901234567890x"}) {
        EXPECT_EQ(kit.run(cmd::kEnroll, textParam(id)).status, CAMX_INVALID_PARAMETER) << id;
        EXPECT_EQ(kit.run(cmd::kUnenroll, textParam(id)).status, CAMX_INVALID_PARAMETER) << id;
    }
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("A012345678901234567890123456789")).status, CAMX_OK);
    // No terminator within the parameters.
    EXPECT_EQ(kit.run(cmd::kEnroll, {'a', 'b'}).status, CAMX_INVALID_PARAMETER);
}

TEST(GalleryCommands, EnrollmentNeedsAQualifiedCapture) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_SE_NO_QUALIFIED_FRAME);
    kit.capture("none");
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_SE_NO_QUALIFIED_FRAME);
    CameraKit cold;
    EXPECT_EQ(cold.run(cmd::kEnroll, textParam("alice")).status, CAMX_SE_NOT_INIT);
}

TEST(GalleryCommands, DuplicateEnrollmentIsRefusedOnlyWhenConfigured) {
    CameraKit kit;
    kit.capture("alice");
    ASSERT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_OK);
    kit.capture("alice");
    // Without deduplication the same eye may be enrolled under another id.
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alias")).status, CAMX_OK);
    enableDeduplication(kit);
    kit.capture("alice");
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("third")).status, CAMX_GAL_ENROLL_DUPLICATED);
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_GAL_ENROLL_DUPLICATED);
    // Once the eye is held by one id only, that id may take another sample.
    ASSERT_EQ(kit.run(cmd::kUnenroll, textParam("alias")).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_OK);
    // A different person is no duplicate.
    kit.capture("bob");
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("bob")).status, CAMX_OK);
    EXPECT_EQ(list(kit, false).count, 2u);
    EXPECT_EQ(list(kit, false).used, 3u);
}

TEST(GalleryCommands, EachIdHoldsAtMostEightTemplates) {
    KitOptions options;
    options.binocular = true;
    CameraKit kit(options);
    for (int i = 0; i < 4; ++i) {
        kit.capture("alice");
        ASSERT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_OK);
    }
    kit.capture("alice");
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_GAL_ID_SLOT_FULL);
    kit.state().scene.eyes = EyesShown::Both;
    ASSERT_EQ(kit.run(cmd::kUnenroll, textParam("alice")).status, CAMX_OK);
    for (int i = 0; i < 3; ++i) {
        kit.capture("alice");
        kit.run(cmd::kEnroll, textParam("alice"));
    }
    // Seven would be nine with another two eyes; one slot is left.
    kit.state().scene.eyes = EyesShown::Right;
    kit.capture("alice");
    ASSERT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_OK);
    kit.state().scene.eyes = EyesShown::Both;
    kit.capture("alice");
    EXPECT_EQ(kit.run(cmd::kEnroll, textParam("alice")).status, CAMX_GAL_ID_NOT_ENOUGH_SLOT);
}

TEST(GalleryCommands, UnenrollingOneOrAll) {
    CameraKit kit;
    kit.capture("alice");
    kit.run(cmd::kEnroll, textParam("alice"));
    kit.run(cmd::kEnroll, textParam("bob"));
    EXPECT_EQ(kit.run(cmd::kUnenroll, textParam("carol")).status, CAMX_GAL_ID_NOT_EXIST);
    EXPECT_EQ(kit.run(cmd::kUnenroll, textParam("alice")).status, CAMX_OK);
    EXPECT_EQ(list(kit, true).names, std::vector<std::string>{"bob"});
    EXPECT_EQ(kit.run(cmd::kUnenrollAll).status, CAMX_OK);
    EXPECT_EQ(list(kit, true).status, CAMX_GAL_EMPTY);
    EXPECT_EQ(kit.run(cmd::kUnenrollAll).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kEnrolleeRecord, textParam("bob")).status, CAMX_GAL_ID_NOT_EXIST);
}

TEST(GalleryCommands, LoadDropsUncommittedChanges) {
    CameraKit kit;
    kit.capture("alice");
    kit.run(cmd::kEnroll, textParam("alice"));
    EXPECT_EQ(kit.run(cmd::kCommitGallery).status, CAMX_OK);
    kit.run(cmd::kEnroll, textParam("bob"));
    kit.run(cmd::kUnenroll, textParam("alice"));
    const CommandOutcome loaded = kit.run(cmd::kLoadGallery, {1});
    EXPECT_EQ(loaded.status, CAMX_OK);
    EXPECT_EQ(u32At(loaded.results, 0), 1u);
    EXPECT_EQ(list(kit, true).names, std::vector<std::string>{"alice"});
}

TEST(GalleryCommands, OldFirmwareListsWithoutParametersOrNames) {
    KitOptions options;
    options.firmware = 0x2001B;
    CameraKit kit(options);
    kit.capture("alice");
    kit.run(cmd::kEnroll, textParam("alice"));
    const CommandOutcome outcome = kit.run(cmd::kListEnrollees);
    EXPECT_EQ(outcome.status, CAMX_OK);
    EXPECT_EQ(u32At(outcome.results, 0), 1u);
    EXPECT_EQ(u32At(outcome.results, 12), 0u);
    EXPECT_TRUE(outcome.data.empty());
    EXPECT_EQ(kit.run(cmd::kCommitGallery).status, CAMX_OK);
    const CommandOutcome loaded = kit.run(cmd::kLoadGallery);
    EXPECT_EQ(loaded.status, CAMX_OK);
    EXPECT_EQ(u32At(loaded.results, 0), 1u);
}

TEST(GalleryCommands, AddTemplateTakesTemplateBlocks) {
    CameraKit kit;
    kit.capture("alice");
    const std::vector<std::uint8_t> block = kit.run(cmd::kResultTemplate).data;
    std::vector<std::uint8_t> params = {static_cast<std::uint8_t>(block.size()),
                                        static_cast<std::uint8_t>(block.size() >> 8), 0, 0};
    const std::vector<std::uint8_t> id = textParam("fromtemplate");
    params.insert(params.end(), id.begin(), id.end());
    const CommandOutcome added = kit.runWithData(cmd::kAddTemplate, params, block);
    EXPECT_EQ(added.status, CAMX_OK);
    EXPECT_EQ(u32At(added.results, 0), 1u);
    std::vector<std::uint8_t> broken = block;
    broken[0] = 'X';
    EXPECT_EQ(kit.runWithData(cmd::kAddTemplate, params, broken).status, CAMX_TPL_CORRUPTED);
    params[0] = params[1] = 0;
    EXPECT_EQ(kit.run(cmd::kAddTemplate, params).status, CAMX_INVALID_PARAMETER);
}

}  // namespace
}  // namespace ocusim
