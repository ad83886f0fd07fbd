// Templates, comparisons and identification: distances small for the same person and large for
// others, candidates sorted, and the template-block record.

#include "simulator/TemplateCommands.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CameraTestKit.h"
#include "simulator/TemplateCodec.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::f32At;
using test::KitOptions;
using test::textParam;
using test::u32At;

std::vector<std::uint8_t> lengthParam(std::size_t length) {
    return {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length >> 16), 0};
}

std::vector<std::uint8_t> floatParam(float value) {
    std::vector<std::uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

struct Candidate {
    std::string id;
    float distance;
};

std::vector<Candidate> identify(CameraKit& kit, float maximum) {
    const CommandOutcome outcome = kit.run(cmd::kIdentify, floatParam(maximum));
    EXPECT_EQ(outcome.status, CAMX_OK);
    const std::uint32_t count = u32At(outcome.results, 0);
    EXPECT_EQ(u32At(outcome.results, 4), count * 36);
    EXPECT_EQ(outcome.data.size(), count * 36);
    std::vector<Candidate> candidates;
    for (std::uint32_t i = 0; i < count && (i + 1) * 36 <= outcome.data.size(); ++i) {
        const char* id = reinterpret_cast<const char*>(&outcome.data[i * 36]);
        candidates.push_back({std::string(id, strnlen(id, 32)), f32At(outcome.data, i * 36 + 32)});
    }
    return candidates;
}

TEST(TemplateCommands, ComparisonsSeparateTheSamePersonFromOthers) {
    CameraKit kit;
    kit.capture("alice");
    kit.run(cmd::kEnroll, textParam("alice"));
    const std::vector<std::uint8_t> aliceTemplate = kit.run(cmd::kResultTemplate).data;
    kit.capture("bob");
    kit.run(cmd::kEnroll, textParam("bob"));
    kit.capture("alice");

    const CommandOutcome same = kit.run(cmd::kCompareWithEnrollee, textParam("alice"));
    ASSERT_EQ(same.status, CAMX_OK);
    EXPECT_LT(f32At(same.results, 0), 1.05f);
    const CommandOutcome other = kit.run(cmd::kCompareWithEnrollee, textParam("bob"));
    EXPECT_GT(f32At(other.results, 0), 1.1f);
    EXPECT_EQ(kit.run(cmd::kCompareWithEnrollee, textParam("carol")).status, CAMX_GAL_ID_NOT_EXIST);

    for (std::uint16_t code : {cmd::kCompareWithTemplate, cmd::kCompareWithTemplateVariant}) {
        const CommandOutcome block =
            kit.runWithData(code, lengthParam(aliceTemplate.size()), aliceTemplate);
        ASSERT_EQ(block.status, CAMX_OK);
        EXPECT_LT(f32At(block.results, 0), 1.05f);
    }
    std::vector<std::uint8_t> corrupt = aliceTemplate;
    corrupt.pop_back();
    EXPECT_EQ(
        kit.runWithData(cmd::kCompareWithTemplate, lengthParam(corrupt.size()), corrupt).status,
        CAMX_TPL_CORRUPTED);
    EXPECT_EQ(kit.run(cmd::kCompareWithTemplate, lengthParam(0)).status, CAMX_INVALID_PARAMETER);
}

TEST(TemplateCommands, IdentificationListsCandidatesNearerThanTheMaximumNearestFirst) {
    CameraKit kit;
    for (const char* name : {"alice", "bob", "carol"}) {
        kit.capture(name);
        ASSERT_EQ(kit.run(cmd::kEnroll, textParam(name)).status, CAMX_OK);
    }
    kit.capture("alice");
    kit.run(cmd::kEnroll, textParam("aliceagain"));
    kit.capture("alice");
    const std::vector<Candidate> matches = identify(kit, 1.05f);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_TRUE((matches[0].id == "alice" && matches[1].id == "aliceagain") ||
                (matches[0].id == "aliceagain" && matches[1].id == "alice"));
    EXPECT_LE(matches[0].distance, matches[1].distance);
    // With the widest distance everyone is a candidate, still nearest first.
    const std::vector<Candidate> everyone = identify(kit, 2.0f);
    ASSERT_EQ(everyone.size(), 4u);
    for (std::size_t i = 1; i < everyone.size(); ++i) {
        EXPECT_LE(everyone[i - 1].distance, everyone[i].distance);
    }
    // Nobody known: success with no candidates and no data.
    kit.capture("dave");
    EXPECT_TRUE(identify(kit, 1.05f).empty());
    EXPECT_EQ(kit.run(cmd::kIdentify, floatParam(-1.0f)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kIdentify, {}).status, CAMX_DEV_BAD_DATA);
}

TEST(TemplateCommands, OldFirmwareIdentifiesWithTheImposterThreshold) {
    KitOptions options;
    options.firmware = 0x2001B;
    CameraKit kit(options);
    kit.capture("alice");
    kit.run(cmd::kEnroll, textParam("alice"));
    kit.capture("alice");
    const CommandOutcome outcome = kit.run(cmd::kIdentify);
    ASSERT_EQ(outcome.status, CAMX_OK);
    EXPECT_EQ(u32At(outcome.results, 0), 1u);
}

TEST(TemplateCommands, TemplatesOfCapturesAndEnrollees) {
    KitOptions options;
    options.binocular = true;
    CameraKit kit(options);
    kit.capture("alice");
    const CommandOutcome result = kit.run(cmd::kResultTemplate);
    ASSERT_EQ(result.status, CAMX_OK);
    std::vector<EyeTemplate> templates;
    ASSERT_EQ(decodeTemplateBlock(result.data.data(), result.data.size(), templates),
              TemplateError::None);
    ASSERT_EQ(templates.size(), 2u);
    EXPECT_EQ(templates[0].eyePosition, 1);
    EXPECT_EQ(templates[1].eyePosition, 2);

    const std::vector<std::uint8_t> label = {'c', 'a', 's', 'e', '7'};
    const CommandOutcome labelled = kit.runWithData(cmd::kTemplateFromData, lengthParam(5), label);
    ASSERT_EQ(labelled.status, CAMX_OK);
    ASSERT_EQ(decodeTemplateBlock(labelled.data.data(), labelled.data.size(), templates),
              TemplateError::None);
    EXPECT_EQ(templates.at(0).label, "case7");
    EXPECT_EQ(kit.run(cmd::kTemplateFromData, lengthParam(0)).data, result.data);
    EXPECT_EQ(kit.run(cmd::kTemplateFromData, lengthParam(65)).status, CAMX_INVALID_PARAMETER);

    // One eye covered: the template holds the other.
    kit.state().scene.eyes = EyesShown::Left;
    kit.capture("alice");
    const CommandOutcome one = kit.run(cmd::kResultTemplate);
    ASSERT_EQ(one.status, CAMX_OK);
    ASSERT_EQ(decodeTemplateBlock(one.data.data(), one.data.size(), templates),
              TemplateError::None);
    ASSERT_EQ(templates.size(), 1u);
    EXPECT_EQ(templates[0].eyePosition, 2);

    kit.state().scene.eyes = EyesShown::Both;
    kit.capture("alice");
    kit.run(cmd::kEnroll, textParam("alice"));
    const CommandOutcome stored = kit.run(cmd::kEnrolleeTemplate, textParam("alice"));
    ASSERT_EQ(stored.status, CAMX_OK);
    ASSERT_EQ(decodeTemplateBlock(stored.data.data(), stored.data.size(), templates),
              TemplateError::None);
    EXPECT_EQ(templates.size(), 2u);
    EXPECT_EQ(kit.run(cmd::kEnrolleeTemplate, textParam("nobody")).status, CAMX_GAL_ID_NOT_EXIST);
}

TEST(TemplateCommands, TemplateBlockRecordCountsTheEyes) {
    KitOptions options;
    options.binocular = true;
    CameraKit kit(options);
    kit.capture("alice");
    std::vector<std::uint8_t> block = kit.run(cmd::kResultTemplate).data;
    const std::vector<std::uint8_t> twice(block);
    block.insert(block.end(), twice.begin(), twice.end());
    const CommandOutcome record =
        kit.runWithData(cmd::kMatchTemplateBlock, lengthParam(block.size()), block);
    ASSERT_EQ(record.status, CAMX_OK);
    ASSERT_EQ(record.results.size(), 12u);
    EXPECT_EQ(u32At(record.results, 0), 1u);
    EXPECT_EQ(record.results[8], 2);   // left
    EXPECT_EQ(record.results[9], 2);   // right
    EXPECT_EQ(record.results[10], 0);  // unknown
    EXPECT_EQ(record.results[11], 4);
    block[4] = 2;  // a format version this camera does not know
    EXPECT_EQ(kit.runWithData(cmd::kMatchTemplateBlock, lengthParam(block.size()), block).status,
              CAMX_TPL_TYPE_INVALID);
}

}  // namespace
}  // namespace ocusim
