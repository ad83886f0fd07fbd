// Template blocks: round trip, and every malformed block refused (byte flips, truncation,
// trailing bytes, unknown version), never read past its end.

#include "simulator/TemplateCodec.h"

#include <gtest/gtest.h>

#include "simulator/Random.h"

namespace ocusim {
namespace {

EyeTemplate sampleTemplate(std::uint8_t eye, const std::string& label) {
    EyeTemplate eyeTemplate;
    eyeTemplate.eyePosition = eye;
    eyeTemplate.quality = 77;
    eyeTemplate.creatorVersion = 0x40003;
    eyeTemplate.label = label;
    Random random(eye + 17);
    for (int i = 0; i < IrisCode::kCells; ++i) {
        eyeTemplate.code.bits[i] = static_cast<std::uint8_t>(random.next() & 3);
        eyeTemplate.code.mask[i] = static_cast<std::uint8_t>(random.next() & 3);
    }
    return eyeTemplate;
}

TEST(TemplateCodec, BlocksOfSeveralTemplatesRoundTrip) {
    std::vector<std::uint8_t> block;
    appendTemplate(sampleTemplate(1, ""), block);
    appendTemplate(sampleTemplate(2, std::string(64, 'x')), block);
    EXPECT_EQ(block.size(), 2 * (16 + 2 * IrisCode::kPackedBytes) + 64);
    std::vector<EyeTemplate> decoded;
    ASSERT_EQ(decodeTemplateBlock(block.data(), block.size(), decoded), TemplateError::None);
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[1].label, std::string(64, 'x'));
    EXPECT_EQ(decoded[0].code.bits, sampleTemplate(1, "").code.bits);
    EXPECT_EQ(decoded[1].code.mask, sampleTemplate(2, "").code.mask);
    EXPECT_EQ(decoded[0].quality, 77);
}

TEST(TemplateCodec, MalformedBlocksAreRefused) {
    const std::vector<std::uint8_t> good = encodeTemplate(sampleTemplate(0, "tag"));
    std::vector<EyeTemplate> decoded;
    EXPECT_EQ(decodeTemplateBlock(good.data(), 0, decoded), TemplateError::Corrupted);
    for (std::size_t cut = 1; cut < good.size(); cut += 97) {
        EXPECT_EQ(decodeTemplateBlock(good.data(), cut, decoded), TemplateError::Corrupted) << cut;
        EXPECT_TRUE(decoded.empty());
    }
    std::vector<std::uint8_t> trailing = good;
    trailing.push_back(0);
    EXPECT_EQ(decodeTemplateBlock(trailing.data(), trailing.size(), decoded),
              TemplateError::Corrupted);

    std::vector<std::uint8_t> version = good;
    version[4] = 9;
    EXPECT_EQ(decodeTemplateBlock(version.data(), version.size(), decoded),
              TemplateError::UnknownVersion);
    // Header bytes: magic, eye position (0..2), quality (0..100), label length, code size.
    for (std::size_t offset : {0u, 3u, 5u, 6u, 7u, 12u, 14u}) {
        std::vector<std::uint8_t> flipped = good;
        flipped[offset] ^= 0xA5;
        EXPECT_NE(decodeTemplateBlock(flipped.data(), flipped.size(), decoded), TemplateError::None)
            << "byte " << offset;
    }
}

}  // namespace
}  // namespace ocusim
