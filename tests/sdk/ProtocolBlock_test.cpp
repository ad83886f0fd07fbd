#include "sdk/ProtocolBlock.h"

#include <gtest/gtest.h>

#include "sdk/FakeTransport.h"

namespace {

using fakes::Out;
using fakes::replyBlock;

TEST(ProtocolBlockTest, CommandHeaderIsMagicLengthCodeAndZeroStatus) {
    std::uint8_t block[sdk::kBlockSize];
    std::memset(block, 0xCC, sizeof block);
    sdk::ByteWriter parameters = sdk::parameterWriter(block);
    parameters.writeU8(7);
    sdk::encodeCommandHeader(block, 0x2009, 7);
    const std::uint8_t header[12] = {0x01, 0x32, 0xDE, 0xAD, 19, 0, 0, 0, 0x09, 0x20, 0, 0};
    EXPECT_EQ(0, std::memcmp(block, header, sizeof header));
    EXPECT_EQ(block[12], 7);
    for (std::size_t i = 13; i < sdk::kBlockSize; ++i) {
        ASSERT_EQ(block[i], 0) << "parameter byte " << i - 12 << " not cleared";
    }
}

TEST(ProtocolBlockTest, ReplyHeaderDecodesEveryField) {
    const fakes::Bytes block = replyBlock(0x200E, 0x3005, {2}, 13);
    const sdk::ReplyHeader reply = sdk::decodeReplyHeader(block.data());
    EXPECT_EQ(reply.magic, sdk::kCommandMagic);
    EXPECT_EQ(reply.length, 13u);
    EXPECT_EQ(reply.code, 0x200E);
    EXPECT_EQ(reply.status, 0x3005);
    EXPECT_EQ(sdk::resultCount(reply), 1u);
}

struct CheckCase {
    std::uint16_t code;
    std::uint16_t status;
    long length;
    std::uint32_t minResults;
    CamxStatus expected;
};

class CheckReplyTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckReplyTest, GivesTheOutcomeOfTheReply) {
    const CheckCase c = GetParam();
    const fakes::Bytes block = replyBlock(c.code, c.status, {}, c.length);
    EXPECT_EQ(sdk::checkReply(sdk::decodeReplyHeader(block.data()), 0x3021, c.minResults),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckReplyTest,
    ::testing::Values(
        CheckCase{0x3021, 0, 24, 12, CAMX_OK}, CheckCase{0x3021, 0, 88, 76, CAMX_OK},
        CheckCase{0x3021, 0, 23, 12, CAMX_DEVICE_IO_DATA_INVALID},          // one short
        CheckCase{0x3019, 0, 24, 12, CAMX_DEVICE_IO_DATA_INVALID},          // other command
        CheckCase{0x3019, 0x4005, 12, 0, CAMX_DEVICE_IO_DATA_INVALID},      // other command
        CheckCase{0x3021, 0x3008, 12, 12, CAMX_DEVICE_IO_DATA_INVALID},     // partial, short
        CheckCase{0x3021, 0x3007, 16, 4, CAMX_SE_RIGHT_FRAME_UNQUALIFIED},  // partial, enough
        CheckCase{0x3021, 0x4005, 12, 12, CAMX_GAL_ID_NOT_EXIST},           // error, no results
        CheckCase{0x3021, 0x4005, 0, 12, CAMX_GAL_ID_NOT_EXIST},
        CheckCase{0x3021, 0, 0, 0, CAMX_OK},
        CheckCase{0x3021, 0, 5, 1, CAMX_DEVICE_IO_DATA_INVALID},   // below 12: no results
        CheckCase{0x3021, 0, 89, 4, CAMX_DEVICE_IO_DATA_INVALID},  // more than a block holds
        CheckCase{0x3021, 0, 0xFFFFFFFF, 4, CAMX_DEVICE_IO_DATA_INVALID}));

TEST(ProtocolBlockTest, ResultsAreBoundedByWhatTheReplyCarries) {
    const fakes::Bytes block = replyBlock(1, 0, Out().u32(5).u32(6).bytes, 16);
    sdk::ByteReader results = sdk::resultReader(block.data(), sdk::decodeReplyHeader(block.data()));
    std::uint32_t value = 0;
    EXPECT_TRUE(results.readU32(&value));
    EXPECT_EQ(value, 5u);
    EXPECT_FALSE(results.readU32(&value));  // p4 is in the block but not in the reply

    const fakes::Bytes huge = replyBlock(1, 0, {}, 1000);
    EXPECT_EQ(sdk::resultReader(huge.data(), sdk::decodeReplyHeader(huge.data())).size(), 76u);
}

// Every single-byte corruption of a reply header either leaves the outcome alone (magic, an
// unused length byte) or turns it into 10, or into the status the corrupted field now holds.
TEST(ProtocolBlockTest, ByteFlipsInTheReplyHeaderAreCaught) {
    const fakes::Bytes good = replyBlock(0x3021, 0, Out().u32(1).u32(2).u32(3).bytes);
    for (std::size_t offset = 0; offset < sdk::kBlockHeaderSize; ++offset) {
        for (std::uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
            fakes::Bytes block = good;
            block[offset] ^= mask;
            const sdk::ReplyHeader reply = sdk::decodeReplyHeader(block.data());
            const CamxStatus status = sdk::checkReply(reply, 0x3021, 12);
            SCOPED_TRACE("offset " + std::to_string(offset) + " mask " + std::to_string(mask));
            if (offset < 4) {
                EXPECT_EQ(status, CAMX_OK);
            } else if (offset < 8) {
                const bool fits = reply.length >= 24 && reply.length <= 88;
                EXPECT_EQ(status, fits ? CAMX_OK : CAMX_DEVICE_IO_DATA_INVALID);
            } else if (offset < 10) {
                EXPECT_EQ(status, CAMX_DEVICE_IO_DATA_INVALID);
            } else {
                EXPECT_EQ(status, reply.status);  // a camera status now
                EXPECT_NE(status, CAMX_OK);
            }
        }
    }
}

}  // namespace
