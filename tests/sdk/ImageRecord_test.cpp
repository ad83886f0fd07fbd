#include "sdk/ImageRecord.h"

#include <gtest/gtest.h>

#include "sdk/FakeTransport.h"

namespace {

using fakes::Bytes;
using fakes::Out;

Bytes longRecord(std::uint16_t format, std::uint32_t a, std::uint32_t b, std::size_t imageBytes,
                 std::uint32_t version = 2) {
    return Out()
        .u8(0xFF)
        .u32(version)
        .u8(1)
        .u16(0x1234)
        .u32(3)
        .raw({7, 7, 7})
        .u16(0x0102)
        .u16(format)
        .u32(a)
        .u32(b)
        .fill(0xEE, 32)
        .fill(0x99, imageBytes)
        .bytes;
}

Bytes shortRecord(std::uint32_t size, std::size_t imageBytes, std::uint8_t kind = 2) {
    return Out().u8(kind).u16(0).u32(0).u32(size).u32(0).fill(0x44, imageBytes).bytes;
}

sdk::DataBlock blockOf(const Bytes& bytes, std::size_t size) {
    return {static_cast<std::uint32_t>(size), bytes.data()};
}

TEST(ImageRecordTest, LongFormRawImage) {
    const Bytes record = longRecord(2, 4, 3, 12);
    std::uint8_t out[12] = {};
    sdk::ImageInfo info;
    ASSERT_EQ(sdk::decodeImageRecord(blockOf(record, record.size()), out, sizeof out, &info),
              CAMX_OK);
    EXPECT_EQ(info.kind, 0x02);
    EXPECT_EQ(info.format, 2);
    EXPECT_EQ(info.width, 4u);
    EXPECT_EQ(info.height, 3u);
    EXPECT_EQ(info.size, 12u);
    EXPECT_EQ(info.data, out);
    EXPECT_EQ(out[11], 0x99);
}

TEST(ImageRecordTest, LongFormEncodedImageAndSizesOnly) {
    const Bytes record = longRecord(10, 5, 0xABCDEF, 5);
    sdk::ImageInfo info;
    ASSERT_EQ(sdk::decodeImageRecord(blockOf(record, record.size()), nullptr, 0, &info), CAMX_OK);
    EXPECT_EQ(info.format, 10);
    EXPECT_EQ(info.width, 0u);
    EXPECT_EQ(info.height, 0u);
    EXPECT_EQ(info.size, 5u);
    EXPECT_EQ(info.data, nullptr);
}

TEST(ImageRecordTest, ShortFormIsAlwaysEncoded) {
    const Bytes record = shortRecord(6, 6);
    std::uint8_t out[6];
    sdk::ImageInfo info;
    ASSERT_EQ(sdk::decodeImageRecord(blockOf(record, record.size()), out, 6, &info), CAMX_OK);
    EXPECT_EQ(info.kind, 0);
    EXPECT_EQ(info.format, 0);
    EXPECT_EQ(info.size, 6u);
    EXPECT_EQ(out[0], 0x44);
}

TEST(ImageRecordTest, VersionKindAndBufferAreChecked) {
    sdk::ImageInfo info;
    const Bytes newer = longRecord(2, 1, 1, 1, 3);
    EXPECT_EQ(sdk::decodeImageRecord(blockOf(newer, newer.size()), nullptr, 0, &info),
              CAMX_ALG_VERSION_INVALID);
    const Bytes kind3 = shortRecord(1, 1, 3);
    EXPECT_EQ(sdk::decodeImageRecord(blockOf(kind3, kind3.size()), nullptr, 0, &info),
              CAMX_IMAGE_CORRUPTED);
    Bytes longKind = longRecord(2, 1, 1, 1);
    longKind[5] = 3;
    EXPECT_EQ(sdk::decodeImageRecord(blockOf(longKind, longKind.size()), nullptr, 0, &info),
              CAMX_IMAGE_CORRUPTED);
    const Bytes record = longRecord(2, 4, 4, 16);
    std::uint8_t small[15];
    EXPECT_EQ(sdk::decodeImageRecord(blockOf(record, record.size()), small, 15, &info),
              CAMX_NOT_ENOUGH_BUFFER);
    EXPECT_EQ(sdk::decodeImageRecord({10, nullptr}, nullptr, 0, &info), CAMX_INVALID_PARAMETER);
}

TEST(ImageRecordTest, EveryShortenedRecordIsCorrupted) {
    for (const Bytes& record :
         {longRecord(2, 4, 3, 12), longRecord(10, 7, 0, 7), shortRecord(9, 9)}) {
        for (std::size_t cut = 0; cut < record.size(); ++cut) {
            sdk::ImageInfo info;
            EXPECT_EQ(sdk::decodeImageRecord(blockOf(record, cut), nullptr, 0, &info),
                      CAMX_IMAGE_CORRUPTED)
                << "cut at " << cut;
        }
    }
}

TEST(ImageRecordTest, LyingLengthsAreCorrupted) {
    sdk::ImageInfo info;
    // Attached data longer than the record.
    Bytes attached = longRecord(2, 4, 3, 12);
    attached[8] = 0xFF;
    attached[9] = 0xFF;
    attached[10] = 0xFF;
    attached[11] = 0xFF;
    EXPECT_EQ(sdk::decodeImageRecord(blockOf(attached, attached.size()), nullptr, 0, &info),
              CAMX_IMAGE_CORRUPTED);
    // Width x height beyond 32 bits.
    const Bytes huge = longRecord(2, 0x10000, 0x10000, 16);
    EXPECT_EQ(sdk::decodeImageRecord(blockOf(huge, huge.size()), nullptr, 0, &info),
              CAMX_IMAGE_CORRUPTED);
    const Bytes encoded = shortRecord(0xFFFFFFFF, 8);
    EXPECT_EQ(sdk::decodeImageRecord(blockOf(encoded, encoded.size()), nullptr, 0, &info),
              CAMX_IMAGE_CORRUPTED);
}

// Flipping any byte of a record either still parses (and then stays inside it) or fails with
// one of the record's statuses.
TEST(ImageRecordTest, EveryByteFlipParsesOrFailsCleanly) {
    for (const Bytes& record : {longRecord(2, 4, 3, 12), shortRecord(9, 9)}) {
        for (std::size_t offset = 0; offset < record.size(); ++offset) {
            for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
                Bytes corrupt = record;
                corrupt[offset] ^= mask;
                std::vector<std::uint8_t> out(64);
                sdk::ImageInfo info;
                const CamxStatus status = sdk::decodeImageRecord(blockOf(corrupt, corrupt.size()),
                                                                 out.data(), out.size(), &info);
                ASSERT_TRUE(status == CAMX_OK || status == CAMX_IMAGE_CORRUPTED ||
                            status == CAMX_ALG_VERSION_INVALID || status == CAMX_NOT_ENOUGH_BUFFER)
                    << status;
                if (status == CAMX_OK) {
                    EXPECT_LE(info.size, corrupt.size());
                }
            }
        }
    }
}

}  // namespace
