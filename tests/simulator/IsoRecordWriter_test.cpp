// ISO/IEC 19794-6 records as the camera answers them (0x2014, 0x2015), read back with a small
// parser written here from the two editions' layouts, independent of the writer.

#include "simulator/IsoRecordWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CameraTestKit.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::isoParams;
using test::KitOptions;

// Big-endian reading with a bounds check on every field.
class BigEndian {
public:
    explicit BigEndian(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    std::size_t position() const { return position_; }
    std::uint32_t read(int size) {
        if (!ok_ || position_ + size > bytes_.size()) {
            ok_ = false;
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            value = (value << 8) | bytes_[position_++];
        }
        return value;
    }
    std::string text(std::size_t size) {
        if (!ok_ || position_ + size > bytes_.size()) {
            ok_ = false;
            return {};
        }
        std::string value(reinterpret_cast<const char*>(&bytes_[position_]), size);
        position_ += size;
        return value;
    }
    std::vector<std::uint8_t> bytes(std::size_t size) {
        if (!ok_ || position_ + size > bytes_.size()) {
            ok_ = false;
            return {};
        }
        std::vector<std::uint8_t> value(bytes_.begin() + position_,
                                        bytes_.begin() + position_ + size);
        position_ += size;
        return value;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

struct ParsedImage {
    int eye = -1;
    int kind = 0;
    int format = 0;
    int width = 0;
    int height = 0;
    int quality = -1;
    int centreX = 0;
    int centreY = 0;
    int diameter = 0;
    std::vector<std::uint8_t> dateTime;
    std::vector<std::uint8_t> data;
};

// ISO/IEC 19794-6:2005.
bool parse2005(const std::vector<std::uint8_t>& record, std::vector<ParsedImage>& images) {
    BigEndian in(record);
    if (in.text(4) != std::string("IIR\0", 4) || in.text(4) != std::string("010\0", 4)) {
        return false;
    }
    const std::uint32_t length = in.read(4);
    in.read(2);  // capture device
    const int subtypes = static_cast<int>(in.read(1));
    const std::uint32_t headerLength = in.read(2);
    in.read(2);  // image properties
    const int diameter = static_cast<int>(in.read(2));
    const std::uint32_t format = in.read(2);
    const int width = static_cast<int>(in.read(2));
    const int height = static_cast<int>(in.read(2));
    const std::uint32_t depth = in.read(1);
    in.read(1);   // transformation
    in.text(16);  // device unique identifier
    if (!in.ok() || length != record.size() || headerLength != 45 || in.position() != 45 ||
        depth != 8 || (format != 0x0002 && format != 0x000E) || subtypes < 1 || subtypes > 2) {
        return false;
    }
    for (int s = 0; s < subtypes; ++s) {
        ParsedImage image;
        image.eye = static_cast<int>(in.read(1));
        const std::uint32_t count = in.read(2);
        if (count != 1) {
            return false;
        }
        in.read(2);  // sequence
        image.quality = static_cast<int>(in.read(1));
        in.read(2);  // rotation angle
        in.read(2);  // rotation uncertainty
        const std::uint32_t size = in.read(4);
        image.data = in.bytes(size);
        image.format = format == 0x0002 ? 2 : 10;
        image.width = width;
        image.height = height;
        image.diameter = diameter;
        if (!in.ok()) {
            return false;
        }
        images.push_back(std::move(image));
    }
    return in.position() == record.size();
}

// ISO/IEC 19794-6:2011.
bool parse2011(const std::vector<std::uint8_t>& record, std::vector<ParsedImage>& images) {
    BigEndian in(record);
    if (in.text(4) != std::string("IIR\0", 4) || in.text(4) != std::string("020\0", 4)) {
        return false;
    }
    const std::uint32_t length = in.read(4);
    const std::uint32_t representations = in.read(2);
    in.read(1);  // certification
    const std::uint32_t eyes = in.read(1);
    if (!in.ok() || length != record.size() || eyes != representations) {
        return false;
    }
    for (std::uint32_t r = 0; r < representations; ++r) {
        const std::size_t start = in.position();
        const std::uint32_t representationLength = in.read(4);
        ParsedImage image;
        image.dateTime = in.bytes(9);
        in.read(1);  // technology
        in.read(2);  // vendor
        in.read(2);  // device type
        const std::uint32_t qualityBlocks = in.read(1);
        for (std::uint32_t q = 0; q < qualityBlocks; ++q) {
            image.quality = static_cast<int>(in.read(1));
            in.read(2);
            in.read(2);
        }
        if (in.read(2) != r + 1) {  // representation number
            return false;
        }
        image.eye = static_cast<int>(in.read(1));
        image.kind = static_cast<int>(in.read(1));
        image.format = static_cast<int>(in.read(1));
        in.read(1);  // properties
        image.width = static_cast<int>(in.read(2));
        image.height = static_cast<int>(in.read(2));
        const std::uint32_t depth = in.read(1);
        in.read(2);  // range
        in.read(2);  // roll angle
        in.read(2);  // roll uncertainty
        const int lowX = static_cast<int>(in.read(2));
        const int highX = static_cast<int>(in.read(2));
        const int lowY = static_cast<int>(in.read(2));
        const int highY = static_cast<int>(in.read(2));
        const int lowD = static_cast<int>(in.read(2));
        const int highD = static_cast<int>(in.read(2));
        const std::uint32_t size = in.read(4);
        if (in.position() - start != 52 + 5 * qualityBlocks) {
            return false;
        }
        image.data = in.bytes(size);
        image.centreX = (lowX + highX) / 2;
        image.centreY = (lowY + highY) / 2;
        image.diameter = (lowD + highD) / 2;
        if (!in.ok() || depth != 8 || in.position() - start != representationLength ||
            lowX > highX || lowY > highY || lowD > highD) {
            return false;
        }
        images.push_back(std::move(image));
    }
    return in.position() == record.size();
}

std::vector<std::uint8_t> rawImage(CameraKit& kit, std::uint8_t kind, std::size_t eye = 0) {
    std::vector<test::ImageEntry> entries;
    EXPECT_TRUE(test::splitImageEntries(kit.run(cmd::kResultImage, test::imageParams(kind, 2)).data,
                                        entries));
    return entries.at(eye).bytes;
}

TEST(IsoRecordWriter, RevisionTwoRecordsParseBackWithTheirImages) {
    CameraKit kit;
    kit.capture("alice");
    for (std::uint8_t kind : {1, 2, 3, 7}) {
        const CommandOutcome outcome = kit.run(cmd::kIsoImage, isoParams(2, kind, 2, 0));
        ASSERT_EQ(outcome.status, CAMX_OK) << int(kind);
        EXPECT_EQ(test::u32At(outcome.results, 0), outcome.data.size());
        std::vector<ParsedImage> images;
        ASSERT_TRUE(parse2011(outcome.data, images)) << int(kind);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].kind, kind);
        EXPECT_EQ(images[0].format, 2);
        EXPECT_EQ(images[0].eye, 0);
        EXPECT_EQ(images[0].data, rawImage(kit, kind));
        EXPECT_EQ(static_cast<std::size_t>(images[0].width * images[0].height),
                  images[0].data.size());
        EXPECT_EQ(images[0].quality, kit.state().result->eyes[0].quality.total);
        // The iris centre lies where segmentation found it, in the record image's coordinates.
        EXPECT_GT(images[0].centreX, 0);
        EXPECT_LT(images[0].centreX, images[0].width);
        EXPECT_NEAR(images[0].diameter, 2 * kit.state().result->eyes[0].geometry.irisRadius, 2);
    }
}

TEST(IsoRecordWriter, RevisionOneRecordsParseBackAndTakeOnlyKindsOneAndTwo) {
    CameraKit kit;
    kit.capture("alice");
    for (std::uint8_t kind : {1, 2}) {
        const CommandOutcome outcome = kit.run(cmd::kIsoImage, isoParams(1, kind, 2, 0));
        ASSERT_EQ(outcome.status, CAMX_OK);
        std::vector<ParsedImage> images;
        ASSERT_TRUE(parse2005(outcome.data, images));
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].width, 640);
        EXPECT_EQ(images[0].height, 480);
        EXPECT_EQ(images[0].data, rawImage(kit, kind));
        EXPECT_EQ(outcome.data.size(), 45u + 3 + 11 + 640 * 480);
    }
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(1, 3, 2, 0)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(1, 7, 10, 0, 3, 1536)).status,
              CAMX_INVALID_PARAMETER);
}

TEST(IsoRecordWriter, UnsupportedCombinationsAreInvalidParameters) {
    CameraKit kit;
    kit.capture("alice");
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(3, 1, 2, 0)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(2, 4, 2, 0)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(2, 1, 14, 0)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(2, 1, 6, 0)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(2, 1, 2, 3)).status, CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kIsoImage, isoParams(2, 7, 10, 0, 3, 1000)).status,
              CAMX_INVALID_PARAMETER);
    std::vector<std::uint8_t> shortParams = isoParams(2, 1, 2, 0);
    shortParams.resize(17);
    EXPECT_EQ(kit.run(cmd::kIsoImage, shortParams).status, CAMX_DEV_BAD_DATA);
}

TEST(IsoRecordWriter, SizeTargetedJpeg2000RecordsStayWithinTheirBudget) {
    CameraKit kit;
    kit.capture("alice");
    for (std::uint32_t budget : {1536u, 2560u, 3584u, 5120u}) {
        const CommandOutcome outcome = kit.run(cmd::kIsoImage, isoParams(2, 7, 10, 0, 3, budget));
        ASSERT_EQ(outcome.status, CAMX_OK) << budget;
        std::vector<ParsedImage> images;
        ASSERT_TRUE(parse2011(outcome.data, images));
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].format, 10);
        EXPECT_LE(images[0].data.size(), budget);
        EXPECT_GT(images[0].data.size(), budget / 2);
    }
}

TEST(IsoRecordWriter, BinocularRecordsHoldTheEyesAskedFor) {
    KitOptions options;
    options.binocular = true;
    CameraKit kit(options);
    kit.capture("alice");
    struct Case {
        std::uint8_t position;
        std::vector<int> eyes;
    };
    for (const Case& c : {Case{1, {1}}, Case{2, {2}}, Case{3, {1, 2}}, Case{0, {1, 2}}}) {
        for (std::uint8_t revision : {1, 2}) {
            const CommandOutcome outcome =
                kit.run(cmd::kIsoImage, isoParams(revision, 1, 2, c.position));
            ASSERT_EQ(outcome.status, CAMX_OK);
            std::vector<ParsedImage> images;
            ASSERT_TRUE(revision == 1 ? parse2005(outcome.data, images)
                                      : parse2011(outcome.data, images));
            ASSERT_EQ(images.size(), c.eyes.size());
            for (std::size_t i = 0; i < images.size(); ++i) {
                EXPECT_EQ(images[i].eye, c.eyes[i]);
                EXPECT_EQ(images[i].data, rawImage(kit, 1, c.eyes[i] - 1));
            }
        }
    }
    // One eye covered: both asked, one given, and the status names the missing eye.
    CameraKit covered(options);
    covered.state().scene.eyes = EyesShown::Right;
    covered.capture("alice");
    const CommandOutcome both = covered.run(cmd::kIsoImage, isoParams(2, 1, 2, 3));
    EXPECT_EQ(both.status, CAMX_SE_LEFT_FRAME_UNQUALIFIED);
    std::vector<ParsedImage> images;
    ASSERT_TRUE(parse2011(both.data, images));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].eye, 1);
    EXPECT_EQ(covered.run(cmd::kIsoImage, isoParams(2, 1, 2, 2)).status,
              CAMX_SE_NO_QUALIFIED_FRAME);
}

TEST(IsoRecordWriter, CaptureDateAndTimeComeFromTheParametersOrTheDataPhase) {
    CameraKit kit;
    kit.capture("alice");
    const std::vector<std::uint8_t> given = {0x07, 0xE8, 3, 14, 15, 9, 26, 0x01, 0xF4};
    std::vector<ParsedImage> images;
    ASSERT_TRUE(
        parse2011(kit.run(cmd::kIsoImage, isoParams(2, 1, 2, 0, 2, 80, given)).data, images));
    EXPECT_EQ(images.at(0).dateTime, given);

    images.clear();
    ASSERT_TRUE(parse2011(kit.run(cmd::kIsoImage, isoParams(2, 1, 2, 0)).data, images));
    const std::vector<std::uint8_t> own = images.at(0).dateTime;
    const int year = own[0] << 8 | own[1];
    EXPECT_GE(year, 2024);
    EXPECT_GE(own[2], 1);
    EXPECT_LE(own[2], 12);

    // 0x2015: the same parameters, then the 32-bit length of a 9-byte date and time block.
    std::vector<std::uint8_t> params = isoParams(2, 1, 2, 0);
    params.insert(params.end(), {9, 0, 0, 0});
    const CommandOutcome withData = kit.runWithData(cmd::kIsoImageWithData, params, given);
    ASSERT_EQ(withData.status, CAMX_OK);
    images.clear();
    ASSERT_TRUE(parse2011(withData.data, images));
    EXPECT_EQ(images.at(0).dateTime, given);
    params[18] = 8;
    EXPECT_EQ(kit.run(cmd::kIsoImageWithData, params).status, CAMX_INVALID_PARAMETER);
}

TEST(IsoRecordWriter, OldFirmwareTakesFourParameterBytes) {
    KitOptions options;
    options.firmware = 0x2001B;
    CameraKit kit(options);
    kit.capture("alice");
    const CommandOutcome outcome = kit.run(cmd::kIsoImage, {2, 3, 10, 80});
    ASSERT_EQ(outcome.status, CAMX_OK);
    std::vector<ParsedImage> images;
    ASSERT_TRUE(parse2011(outcome.data, images));
    EXPECT_EQ(images.at(0).kind, 3);
    EXPECT_EQ(images.at(0).format, 10);
    EXPECT_EQ(kit.run(cmd::kIsoImage, {2, 3, 10}).status, CAMX_DEV_BAD_DATA);
}

}  // namespace
}  // namespace ocusim
