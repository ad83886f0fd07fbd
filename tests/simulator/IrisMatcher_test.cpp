// The camera's matching separates eyes: the same eye captured again stays well below the
// service's default decision threshold (1.05), any other eye (another subject's, or the same
// subject's other eye) stays above the imposter threshold (1.1). Captures go through the real
// path: a capture session's final frame, segmentation, iris code.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "simulator/CaptureResult.h"
#include "simulator/CaptureSession.h"
#include "simulator/IrisMatcher.h"
#include "simulator/Matching.h"
#include "simulator/SyntheticEyeGenerator.h"
#include "simulator/TemplateCodec.h"

namespace ocusim {
namespace {

constexpr int kSubjects = 50;

// Both eyes of `subject`, captured by a binocular camera as its `sequence`-th capture.
CaptureResult captureBothEyes(SyntheticEyeGenerator& generator, const std::string& subject,
                              std::uint64_t sequence) {
    CaptureSetup setup;
    setup.subject = subject;
    setup.binocular = true;
    setup.captureMs = 100;
    setup.sequence = sequence;
    const Clock::time_point start = Clock::now();
    CaptureSession session(setup, start);
    EXPECT_EQ(session.status(start + std::chrono::milliseconds(101)), capture_status::kComplete);
    return CaptureAnalyzer::analyze(session, generator, 40);
}

TEST(IrisMatcher, SameEyeMatchesAcrossCapturesAndNoOtherEyeDoes) {
    SyntheticEyeGenerator generator;
    std::vector<IrisCode> first;
    std::vector<IrisCode> second;
    for (int subject = 0; subject < kSubjects; ++subject) {
        const std::string name = "subject" + std::to_string(subject);
        const CaptureResult a = captureBothEyes(generator, name, 2 * subject + 1);
        const CaptureResult b = captureBothEyes(generator, name, 2 * subject + 2);
        for (int eye = 0; eye < 2; ++eye) {
            ASSERT_TRUE(a.eyes[eye].qualified) << name << " eye " << eye;
            ASSERT_TRUE(b.eyes[eye].qualified) << name << " eye " << eye;
            first.push_back(a.eyes[eye].code);
            second.push_back(b.eyes[eye].code);
        }
    }
    float worstGenuine = 0;
    float bestImpostor = 2;
    for (std::size_t i = 0; i < first.size(); ++i) {
        for (std::size_t j = 0; j < second.size(); ++j) {
            const float distance = IrisMatcher::distance(first[i], second[j]);
            if (i == j) {
                EXPECT_LT(distance, 1.05f) << "eye " << i << " against itself";
                worstGenuine = std::max(worstGenuine, distance);
            } else {
                EXPECT_GT(distance, 1.1f) << "eye " << i << " against eye " << j;
                bestImpostor = std::min(bestImpostor, distance);
            }
        }
    }
    RecordProperty("worst_genuine_distance", std::to_string(worstGenuine));
    RecordProperty("best_impostor_distance", std::to_string(bestImpostor));
}

TEST(IrisMatcher, DistanceIsSymmetricAndZeroForACodeWithItself) {
    SyntheticEyeGenerator generator;
    const CaptureResult a = captureBothEyes(generator, "bob", 1);
    const CaptureResult b = captureBothEyes(generator, "carol", 2);
    EXPECT_FLOAT_EQ(IrisMatcher::distance(a.eyes[0].code, a.eyes[0].code), 0.0f);
    EXPECT_FLOAT_EQ(IrisMatcher::distance(a.eyes[0].code, b.eyes[1].code),
                    IrisMatcher::distance(b.eyes[1].code, a.eyes[0].code));
}

TEST(IrisMatcher, CodesWithoutCommonBitsCountAsUnrelated) {
    IrisCode empty;
    SyntheticEyeGenerator generator;
    const CaptureResult a = captureBothEyes(generator, "dave", 1);
    EXPECT_FLOAT_EQ(IrisMatcher::hammingDistance(empty, a.eyes[0].code), 0.5f);
    EXPECT_GT(IrisMatcher::distance(empty, a.eyes[0].code), 1.1f);
}

TEST(IrisMatcher, TemplatesKeepTheirDistancesThroughEncoding) {
    SyntheticEyeGenerator generator;
    const CaptureResult a = captureBothEyes(generator, "erin", 1);
    const CaptureResult b = captureBothEyes(generator, "erin", 2);
    const std::vector<EyeTemplate> probe = templatesOf(a, 0x30020, "label");
    std::vector<std::uint8_t> block;
    for (const EyeTemplate& eyeTemplate : templatesOf(b, 0x30020)) {
        appendTemplate(eyeTemplate, block);
    }
    std::vector<EyeTemplate> decoded;
    ASSERT_EQ(decodeTemplateBlock(block.data(), block.size(), decoded), TemplateError::None);
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0].eyePosition, 1);
    EXPECT_EQ(decoded[1].eyePosition, 2);
    EXPECT_EQ(decoded[0].creatorVersion, 0x30020u);
    EXPECT_FLOAT_EQ(IrisMatcher::distance(probe[0].code, decoded[0].code),
                    IrisMatcher::distance(a.eyes[0].code, b.eyes[0].code));
    // Eye labels keep the right eye from matching the left.
    EXPECT_LT(bestDistance({probe[0]}, decoded), 1.05f);
    EXPECT_FLOAT_EQ(bestDistance({probe[0]}, {decoded[1]}),
                    IrisMatcher::distance(a.eyes[0].code, b.eyes[1].code));
}

}  // namespace
}  // namespace ocusim
