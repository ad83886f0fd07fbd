#include "sdk/ByteReader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sdk/ByteWriter.h"

namespace {

TEST(ByteReaderTest, ReadsLittleEndianValues) {
    const std::uint8_t data[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00,
                                 0x00, 0x80, 0x3F, 0xFE, 0xFF, 0xFF, 0xFF};
    sdk::ByteReader reader(data, sizeof data);
    std::uint8_t u8 = 0;
    std::uint16_t u16 = 0;
    std::uint32_t u32 = 0;
    float f = 0;
    std::int32_t i32 = 0;
    ASSERT_TRUE(reader.readU8(&u8));
    ASSERT_TRUE(reader.readU16(&u16));
    ASSERT_TRUE(reader.readU32(&u32));
    ASSERT_TRUE(reader.readF32(&f));
    ASSERT_TRUE(reader.readI32(&i32));
    EXPECT_EQ(u8, 0x01);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(u32, 0x12345678u);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(reader.remaining(), 0u);
    EXPECT_TRUE(reader.ok());
}

TEST(ByteReaderTest, AReadPastTheEndFailsWithoutMovingAndStaysFailed) {
    const std::uint8_t data[] = {1, 2, 3};
    sdk::ByteReader reader(data, sizeof data);
    std::uint32_t u32 = 0xAAAA;
    EXPECT_FALSE(reader.readU32(&u32));
    EXPECT_EQ(u32, 0xAAAAu);
    EXPECT_EQ(reader.position(), 0u);
    EXPECT_FALSE(reader.ok());
    std::uint16_t u16 = 0;
    EXPECT_TRUE(reader.readU16(&u16));  // still readable, but the failure is remembered
    EXPECT_FALSE(reader.ok());
    EXPECT_FALSE(reader.skip(2));
    EXPECT_TRUE(reader.skip(1));
    EXPECT_FALSE(reader.seek(4));
    EXPECT_TRUE(reader.seek(3));
}

TEST(ByteReaderTest, HugeCountsDoNotWrapAround) {
    const std::uint8_t data[8] = {};
    sdk::ByteReader reader(data, sizeof data);
    ASSERT_TRUE(reader.skip(4));
    const std::uint8_t* view = nullptr;
    EXPECT_FALSE(reader.readBytes(SIZE_MAX, &view));
    EXPECT_FALSE(reader.skip(SIZE_MAX - 2));
    EXPECT_FALSE(reader.seek(SIZE_MAX));
    EXPECT_EQ(reader.position(), 4u);
    EXPECT_TRUE(reader.readBytes(4, &view));
    EXPECT_EQ(view, data + 4);
}

TEST(ByteReaderTest, ANullAreaIsEmpty) {
    sdk::ByteReader reader(nullptr, 100);
    std::uint8_t u8 = 0;
    EXPECT_EQ(reader.size(), 0u);
    EXPECT_FALSE(reader.readU8(&u8));
}

TEST(ByteWriterTest, WritesLittleEndianAndRefusesWhatDoesNotFit) {
    std::uint8_t area[12] = {};
    sdk::ByteWriter writer(area, sizeof area);
    ASSERT_TRUE(writer.writeU8(0x01));
    ASSERT_TRUE(writer.writeU16(0x1234));
    ASSERT_TRUE(writer.writeU32(0x12345678));
    ASSERT_TRUE(writer.writeF32(1.0f));
    EXPECT_FALSE(writer.writeU16(0xFFFF));  // one byte left
    EXPECT_FALSE(writer.ok());
    EXPECT_EQ(writer.position(), 11u);
    const std::uint8_t expected[12] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34,
                                       0x12, 0x00, 0x00, 0x80, 0x3F, 0x00};
    EXPECT_EQ(0, std::memcmp(area, expected, sizeof area));
}

TEST(ByteWriterTest, TextsCarryTheirTerminatorAndFillAndSeekStayInside) {
    std::uint8_t area[8];
    std::memset(area, 0xEE, sizeof area);
    sdk::ByteWriter writer(area, sizeof area);
    ASSERT_TRUE(writer.writeText("abc"));
    EXPECT_EQ(writer.position(), 4u);
    EXPECT_FALSE(writer.writeText("long"));  // needs 5 bytes, 4 left
    ASSERT_TRUE(writer.fill(0xFF, 4));
    EXPECT_FALSE(writer.seek(9));
    ASSERT_TRUE(writer.seek(1));
    ASSERT_TRUE(writer.writeU8('X'));
    const std::uint8_t expected[8] = {'a', 'X', 'c', 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(0, std::memcmp(area, expected, sizeof area));
}

}  // namespace
