#include "sdk/GalleryCommands.h"

#include <gtest/gtest.h>

#include "sdk/Exchange.h"
#include "sdk/LinkFixture.h"

namespace {

using fakes::Bytes;
using fakes::FakeTransport;
using fakes::Out;

class GalleryCommandsTest : public fakes::LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        ASSERT_TRUE(list.reserve(360396));
    }
    sdk::DataBuffer list;
    std::vector<const char*> names;
    std::uint32_t count = 99;
    std::uint32_t used = 99;
    std::uint32_t maximum = 99;
    sdk::GalleryQuery all() { return {&names, &count, &used, &maximum}; }
};

const Bytes kNames = Out().text("alice").text("bob").text("carol").bytes;

TEST_F(GalleryCommandsTest, LoadingReadsTheNamesUnderItsTimeOut) {
    transport.answer(0x8003, 0, Out().u32(3).u32(5).u32(100).u32(16).bytes, {kNames});
    ASSERT_EQ(sdk::loadGallery(link, list, all()), CAMX_OK);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_STREQ(names[0], "alice");
    EXPECT_STREQ(names[2], "carol");
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(used, 5u);
    EXPECT_EQ(maximum, 100u);
    EXPECT_EQ(sentParameters(), Bytes{1});
    EXPECT_EQ(transport.count("timeout 300000"), 1u);
    EXPECT_EQ(link.timeoutMs, 0u);
}

TEST_F(GalleryCommandsTest, WithoutNamesNoListIsReadAndFlagsFollowTheFirmware) {
    transport.answer(0x8004, 0, Out().u32(3).u32(5).u32(100).u32(16).bytes);
    ASSERT_EQ(sdk::listEnrollees(link, list, {nullptr, &count, &used, &maximum}), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{0, 3, 0, 0, 0}));
    EXPECT_EQ(transport.count("read 16"), 0u);
    EXPECT_EQ(count, 3u);

    link.firmwareVersion = 0x2001B;
    transport.answer(0x8003, 0, Out().u32(0).u32(0).u32(100).u32(0).bytes);
    ASSERT_EQ(sdk::loadGallery(link, list, {}), CAMX_OK);
    EXPECT_EQ(transport.commands.back().length, 12u);
    transport.answer(0x9008, 0, Out().u32(0).u32(0).u32(100).u32(0).bytes);
    ASSERT_EQ(sdk::listEnrollees(link, list, {nullptr, nullptr, nullptr, &maximum}, true), CAMX_OK);
    EXPECT_EQ(transport.commands.back().code, 0x9008);
}

TEST_F(GalleryCommandsTest, AnEmptyGalleryStillFillsTheCounts) {
    transport.answer(0x8004, 0x4003, Out().u32(0).u32(7).u32(100).u32(0).bytes);
    EXPECT_EQ(sdk::listEnrollees(link, list, all()), CAMX_GAL_EMPTY);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(used, 0u);  // only handed out with enrollees
    EXPECT_EQ(maximum, 100u);
}

TEST_F(GalleryCommandsTest, OutputsThatCannotBeFilledAreRefusedWithoutTraffic) {
    EXPECT_EQ(sdk::listEnrollees(link, list, {}), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::listEnrollees(link, list, {&names, nullptr, &used, nullptr}),
              CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::loadGallery(link, list, {&names, nullptr, nullptr, nullptr}),
              CAMX_INVALID_PARAMETER);
    EXPECT_TRUE(transport.events.empty());
}

TEST_F(GalleryCommandsTest, FailuresClearWhatTheyMust) {
    names = {"stale"};
    transport.answer(0x8004, 0x4001);
    EXPECT_EQ(sdk::listEnrollees(link, list, all()), CAMX_GAL_NOT_INITIALIZED);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(maximum, 99u);  // other failures leave the other outputs alone

    // A failed name-list read zeroes every output.
    transport.answer(0x8004, 0, Out().u32(3).u32(5).u32(100).u32(16).bytes);
    EXPECT_EQ(sdk::listEnrollees(link, list, all()), CAMX_DEVICE_IO_TIMEOUT);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(maximum, 0u);
}

TEST_F(GalleryCommandsTest, NameListsThatLieAreCaught) {
    // Fewer names than counted, a list longer than the buffer, an unterminated name.
    transport.answer(0x8004, 0, Out().u32(4).u32(5).u32(100).u32(16).bytes, {kNames});
    EXPECT_EQ(sdk::listEnrollees(link, list, all()), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(maximum, 0u);
    transport.answer(0x8004, 0, Out().u32(1).u32(5).u32(100).u32(0x4000001).bytes);
    EXPECT_EQ(sdk::listEnrollees(link, list, all()), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(transport.count("read 67108865"), 0u);
    EXPECT_EQ(transport.lastStatus(), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x8004, 0, Out().u32(1).u32(5).u32(100).u32(0).bytes);
    EXPECT_EQ(sdk::listEnrollees(link, list, all()), CAMX_DEVICE_IO_DATA_INVALID);

    for (std::size_t cut = 0; cut < kNames.size(); ++cut) {
        std::vector<const char*> parsed;
        EXPECT_EQ(sdk::decodeNameList(kNames.data(), cut, 3, &parsed), CAMX_DEVICE_IO_DATA_INVALID);
        EXPECT_TRUE(parsed.empty());
    }
    for (std::size_t offset = 0; offset < kNames.size(); ++offset) {
        Bytes corrupt = kNames;
        corrupt[offset] ^= 0xFF;
        std::vector<const char*> parsed;
        const CamxStatus status = sdk::decodeNameList(corrupt.data(), corrupt.size(), 3, &parsed);
        ASSERT_TRUE(status == CAMX_OK || status == CAMX_DEVICE_IO_DATA_INVALID);
        for (const char* name : parsed) {
            const auto* at = reinterpret_cast<const std::uint8_t*>(name);
            EXPECT_LT(at + std::strlen(name), corrupt.data() + corrupt.size());
        }
    }
}

TEST_F(GalleryCommandsTest, TheListBufferGrowsForALongerList) {
    sdk::DataBuffer small;
    ASSERT_TRUE(small.reserve(4));
    transport.answer(0x8004, 0, Out().u32(3).u32(5).u32(100).u32(16).bytes, {kNames});
    ASSERT_EQ(sdk::listEnrollees(link, small, all()), CAMX_OK);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_STREQ(names[1], "bob");
}

TEST_F(GalleryCommandsTest, EnrollRefusesBadUserIdsWithoutSending) {
    const std::string tooLong(32, 'a');
    EXPECT_EQ(sdk::enroll(link, tooLong.c_str()), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::enroll(link, "john-doe"), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::unenroll(link, "a.b"), CAMX_INVALID_PARAMETER);
    const Bytes block(10, 1);
    EXPECT_EQ(sdk::addTemplate(link, "x y", {10, block.data()}), CAMX_INVALID_PARAMETER);
    EXPECT_TRUE(transport.events.empty());

    transport.answer(0x8007, 0x4009);
    EXPECT_EQ(sdk::enroll(link, std::string(31, 'Z').c_str()), CAMX_GAL_ENROLL_DUPLICATED);
    EXPECT_EQ(transport.commands[0].length, 12u + 32u);
}

TEST_F(GalleryCommandsTest, AddTemplateSendsLengthIdAndBlock) {
    transport.on(0x3018, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(fakes::replyBlock(0x3018, 0));
        t.queue(fakes::replyBlock(0x3018, 0, Out().u32(1).bytes));
    });
    const Bytes block(300, 0x5A);
    ASSERT_EQ(sdk::addTemplate(link, "bob", {300, block.data()}), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{0x2C, 0x01, 0, 0, 'b', 'o', 'b', 0}));
    EXPECT_EQ(transport.dataWrites.at(0), block);
    EXPECT_EQ(sdk::addTemplate(link, "bob", {0xAB000, block.data()}), CAMX_INVALID_PARAMETER);
}

TEST_F(GalleryCommandsTest, UnenrollCommitAndTheirTimeOuts) {
    for (std::uint16_t code : {0x8014, 0x8015, 0x8016}) {
        transport.answer(code, 0);
    }
    ASSERT_EQ(sdk::unenroll(link, "carol"), CAMX_OK);
    ASSERT_EQ(sdk::unenrollAll(link), CAMX_OK);
    ASSERT_EQ(sdk::commitGallery(link), CAMX_OK);
    EXPECT_EQ(transport.codes(), (std::vector<std::uint16_t>{0x8014, 0x8015, 0x8016}));
    EXPECT_EQ(sentParameters(0), (Bytes{'c', 'a', 'r', 'o', 'l', 0}));
    EXPECT_EQ(transport.commands[1].length, 12u);
    EXPECT_EQ(transport.count("timeout 300000"), 1u);
    EXPECT_EQ(transport.count("timeout 0"), 2u);
}

}  // namespace
