// Results of a completed capture: result images in every kind and format, the one-eye cases of
// a binocular camera, quality scores, the parameter layouts of old and new firmware, and the
// image records of 0x200D with the caller's data attached.

#include "simulator/ResultCommands.h"

#include <gtest/gtest.h>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteReader.h"
#include "simulator/CameraTestKit.h"
#include "simulator/TemplateCodec.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::ImageEntry;
using test::imageParams;
using test::KitOptions;
using test::splitImageEntries;
using test::u32At;

std::vector<ImageEntry> entriesOf(const CommandOutcome& outcome) {
    std::vector<ImageEntry> entries;
    EXPECT_EQ(u32At(outcome.results, 0), outcome.data.size());
    EXPECT_TRUE(splitImageEntries(outcome.data, entries));
    return entries;
}

TEST(ResultCommands, RawImagesOfEveryKindHaveTheirSizes) {
    CameraKit kit;
    ASSERT_EQ(kit.capture("alice"), CAMX_OK);
    const CommandOutcome full = kit.run(cmd::kResultImage, imageParams(1, 2));
    ASSERT_EQ(full.status, CAMX_OK);
    std::vector<ImageEntry> entries = entriesOf(full);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, 1);
    EXPECT_EQ(entries[0].format, 2);
    EXPECT_EQ(entries[0].first, 640u);
    EXPECT_EQ(entries[0].second, 480u);

    const CommandOutcome vga = kit.run(cmd::kResultImage, imageParams(2, 2));
    entries = entriesOf(vga);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, 640u);
    EXPECT_EQ(entries[0].second, 480u);
    EXPECT_NE(entries[0].bytes, entriesOf(full)[0].bytes);  // re-centred on the iris

    const EyeGeometry& geometry = kit.state().result->eyes[0].geometry;
    for (std::uint8_t kind : {3, 7}) {
        const CommandOutcome cropped = kit.run(cmd::kResultImage, imageParams(kind, 2));
        ASSERT_EQ(cropped.status, CAMX_OK);
        entries = entriesOf(cropped);
        ASSERT_EQ(entries.size(), 1u);
        // 3.2 and 2.4 iris radii, even.
        EXPECT_NEAR(entries[0].first, 3.2 * geometry.irisRadius, 2.0);
        EXPECT_NEAR(entries[0].second, 2.4 * geometry.irisRadius, 2.0);
    }
    // Kind 7: outside the iris circle everything is 200 (the corners certainly are).
    entries = entriesOf(kit.run(cmd::kResultImage, imageParams(7, 2)));
    EXPECT_EQ(entries[0].bytes.front(), 200);
    EXPECT_EQ(entries[0].bytes.back(), 200);
}

TEST(ResultCommands, RequestsOutsideTheCamerasFormatsAreRefused) {
    CameraKit kit;
    kit.capture("alice");
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(4, 2)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 6)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 14)).status, CAMX_INVALID_PARAMETER);
    // Compression of JPEG 2000: kinds 1-3; 1 and 2 take 1-100, 3 at least 1536 bytes.
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 10, 4, 50)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 10, 2, 0)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 10, 2, 101)).status,
              CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(7, 138, 3, 1535)).status,
              CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(7, 138, 3, 1536)).status, CAMX_OK);
    // Raw formats ignore the compression fields.
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 2, 9, 0)).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kResultImage, {1, 2}).status, CAMX_DEV_BAD_DATA);
}

TEST(ResultCommands, OldFirmwareTakesAQualityByteAtP2) {
    KitOptions options;
    options.firmware = 0x2001B;
    CameraKit kit(options);
    kit.capture("alice");
    EXPECT_EQ(kit.run(cmd::kResultImage, {1, 10, 80, 0}).status, CAMX_OK);
    EXPECT_EQ(kit.run(cmd::kResultImage, {1, 10, 0, 0}).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kResultImage, {1, 2, 0, 0}).status, CAMX_OK);
}

TEST(ResultCommands, NoQualifiedFrameWithoutASubjectOrCapture) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 2)).status, CAMX_SE_NO_QUALIFIED_FRAME);
    kit.capture("none");
    EXPECT_EQ(kit.run(cmd::kCaptureStatus).results[0], 3);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 2)).status, CAMX_SE_NO_QUALIFIED_FRAME);
    EXPECT_EQ(kit.run(cmd::kResultQuality, {0}).status, CAMX_SE_NO_QUALIFIED_FRAME);
    EXPECT_EQ(kit.run(cmd::kResultTemplate).status, CAMX_SE_NO_QUALIFIED_FRAME);
    EXPECT_EQ(kit.run(cmd::kIsoImage, test::isoParams(2, 1, 2, 0)).status,
              CAMX_SE_NO_QUALIFIED_FRAME);
}

TEST(ResultCommands, ResultsAreBusyWhileACaptureRuns) {
    CameraKit kit;
    kit.run(cmd::kInitCamera);
    kit.run(cmd::kStartCapture, test::startParams());
    kit.advance(100);
    EXPECT_EQ(kit.run(cmd::kResultImage, imageParams(1, 2)).status, CAMX_DEV_BUSY);
    EXPECT_EQ(kit.run(cmd::kResultTemplate).status, CAMX_DEV_BUSY);
}

TEST(ResultCommands, BinocularCamerasAnswerBothEyesOrSayWhichIsMissing) {
    KitOptions options;
    options.binocular = true;
    struct Case {
        const char* eyes;
        std::uint8_t subtype;
        std::uint16_t status;
        std::vector<std::uint8_t> present;  // eye slots with an image
    };
    const std::vector<Case> cases = {
        {"both", 0, CAMX_OK, {0, 1}},
        {"left", 0, CAMX_SE_RIGHT_FRAME_UNQUALIFIED, {1}},
        {"right", 0, CAMX_SE_LEFT_FRAME_UNQUALIFIED, {0}},
        {"both", 1, CAMX_SE_LEFT_FRAME_UNQUALIFIED, {0}},
        {"both", 2, CAMX_SE_RIGHT_FRAME_UNQUALIFIED, {1}},
    };
    for (const Case& c : cases) {
        CameraKit kit(options);
        kit.state().scene.eyes = std::string(c.eyes) == "both"   ? EyesShown::Both
                                 : std::string(c.eyes) == "left" ? EyesShown::Left
                                                                 : EyesShown::Right;
        kit.capture("alice", c.subtype);
        const CommandOutcome images = kit.run(cmd::kResultImage, imageParams(1, 2));
        EXPECT_EQ(images.status, c.status) << c.eyes << " subtype " << int(c.subtype);
        const std::vector<ImageEntry> entries = entriesOf(images);
        EXPECT_EQ(entries.size(), c.present.size());
        // Quality: one score pair per present eye, right eye first.
        const CommandOutcome quality = kit.run(cmd::kResultQuality, {0});
        EXPECT_EQ(quality.status, c.status);
        ASSERT_EQ(quality.results.size(), 2 * c.present.size());
        for (std::size_t i = 0; i < c.present.size(); ++i) {
            const EyeCapture& eye = kit.state().result->eyes[c.present[i]];
            EXPECT_EQ(quality.results[2 * i], eye.quality.total);
            EXPECT_EQ(quality.results[2 * i + 1], eye.quality.usableArea);
        }
    }
}

TEST(ResultCommands, QualityScoresComeFromTheFrame) {
    CameraKit kit;
    kit.capture("alice");
    const CommandOutcome quality = kit.run(cmd::kResultQuality, {0});
    ASSERT_EQ(quality.status, CAMX_OK);
    ASSERT_EQ(quality.results.size(), 2u);
    EXPECT_GE(quality.results[0], 50);
    EXPECT_LE(quality.results[0], 100);
    // The usable area is the visible share of the iris: eyelids cover some of it.
    EXPECT_GT(quality.results[1], 40);
    EXPECT_LT(quality.results[1], 100);
}

TEST(ResultCommands, VendorRawIsTheCamerasImageRecordAroundTheRawImage) {
    CameraKit kit;
    kit.capture("alice");
    const std::vector<ImageEntry> raw = entriesOf(kit.run(cmd::kResultImage, imageParams(3, 2)));
    const std::vector<ImageEntry> vendor =
        entriesOf(kit.run(cmd::kResultImage, imageParams(3, 130)));
    ASSERT_EQ(vendor.size(), 1u);
    EXPECT_EQ(vendor[0].format, 130);
    EXPECT_EQ(vendor[0].first, vendor[0].bytes.size());
    const std::vector<std::uint8_t>& record = vendor[0].bytes;
    ByteReader reader(record.data(), record.size());
    EXPECT_EQ(reader.u8(), 0xFF);
    EXPECT_EQ(reader.u32(), 2u);  // version
    EXPECT_EQ(reader.u8(), 0);    // eye: unknown on a monocular camera
    reader.u16();                 // quality
    EXPECT_EQ(reader.u32(), 0u);  // nothing attached
    EXPECT_EQ(reader.u16(), 3);   // kind
    EXPECT_EQ(reader.u16(), 2);   // raw
    EXPECT_EQ(reader.u32(), raw[0].first);
    EXPECT_EQ(reader.u32(), raw[0].second);
    reader.skip(32);
    const std::size_t rest = reader.remaining();
    const std::uint8_t* pixels = reader.bytes(rest);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + rest), raw[0].bytes);
}

TEST(ResultCommands, ImagesWithDataCarryTheDataAndTheEyesTemplate) {
    KitOptions options;
    options.binocular = true;
    CameraKit kit(options);
    kit.capture("alice");
    // p0-p7 as for 0x200C; the data length follows at p8 (one byte later than on a monocular
    // camera, where it overlays the reserved p7).
    std::vector<std::uint8_t> params = imageParams(1, 2);
    params.insert(params.end(), {5, 0, 0, 0});
    const std::vector<std::uint8_t> nonce = {'n', 'o', 'n', 'c', 'e'};
    const CommandOutcome outcome = kit.runWithData(cmd::kResultImageWithData, params, nonce);
    ASSERT_EQ(outcome.status, CAMX_OK);
    ByteReader reader(outcome.data.data(), outcome.data.size());
    for (int eye = 0; eye < 2; ++eye) {
        const std::uint32_t recordSize = reader.u32();
        const std::uint8_t* record = reader.bytes(recordSize);
        const std::uint32_t templateSize = reader.u32();
        const std::uint8_t* eyeTemplate = reader.bytes(templateSize);
        ASSERT_TRUE(reader.ok());
        ByteReader head(record, recordSize);
        EXPECT_EQ(head.u8(), 0xFF);
        head.u32();
        EXPECT_EQ(head.u8(), eye + 1);
        head.u16();
        ASSERT_EQ(head.u32(), 5u);
        const std::uint8_t* attached = head.bytes(5);
        ASSERT_TRUE(head.ok());
        EXPECT_EQ(std::vector<std::uint8_t>(attached, attached + 5), nonce);
        std::vector<EyeTemplate> templates;
        ASSERT_EQ(decodeTemplateBlock(eyeTemplate, templateSize, templates), TemplateError::None);
        EXPECT_EQ(templates.at(0).eyePosition, eye + 1);
    }
    EXPECT_EQ(reader.remaining(), 0u);
    // More than 64 bytes of data are refused before any data phase.
    params[8] = 65;
    EXPECT_EQ(kit.run(cmd::kResultImageWithData, params).status, CAMX_INVALID_PARAMETER);
}

TEST(ResultCommands, OldFirmwareWritesTheShortImageRecord) {
    KitOptions options;
    options.firmware = 0x2001B;
    CameraKit kit(options);
    kit.capture("alice");
    const std::vector<ImageEntry> vendor = entriesOf(kit.run(cmd::kResultImage, {3, 130, 80, 0}));
    ASSERT_EQ(vendor.size(), 1u);
    ByteReader reader(vendor[0].bytes.data(), vendor[0].bytes.size());
    EXPECT_EQ(reader.u8(), 0);  // eye position (the short form has no 0xFF)
    reader.u16();
    EXPECT_EQ(reader.u32(), 0u);
    const std::uint32_t size = reader.u32();
    reader.u32();
    EXPECT_EQ(size, reader.remaining());
}

}  // namespace
}  // namespace ocusim
