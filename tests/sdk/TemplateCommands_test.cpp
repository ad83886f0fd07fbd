#include "sdk/TemplateCommands.h"

#include <gtest/gtest.h>

#include "sdk/Exchange.h"
#include "sdk/LinkFixture.h"

namespace {

using fakes::Bytes;
using fakes::FakeTransport;
using fakes::Out;

class TemplateCommandsTest : public fakes::LinkFixture {};

Bytes candidate(const std::string& id, float distance) {
    Out out;
    out.raw(Bytes(id.begin(), id.end())).fill(0, 32 - id.size()).f32(distance);
    return out.bytes;
}

TEST_F(TemplateCommandsTest, IdentifyWithCountZeroReadsNoData) {
    transport.answer(0x3017, 0, Out().u32(0).u32(72).bytes, {Bytes(72, 1)});
    std::vector<sdk::IdentifyCandidate> candidates{sdk::IdentifyCandidate()};
    ASSERT_EQ(sdk::identify(link, buffer, 1.05f, &candidates), CAMX_OK);
    EXPECT_TRUE(candidates.empty());
    EXPECT_EQ(transport.count("read 72"), 0u);
    EXPECT_EQ(transport.inbox.size(), 1u);  // the stray data was not touched
}

TEST_F(TemplateCommandsTest, IdentifyReadsTheCandidatesUnderItsTimeOut) {
    Bytes data = candidate("alice", 0.25f);
    const Bytes bob = candidate("bob", 0.75f);
    data.insert(data.end(), bob.begin(), bob.end());
    transport.answer(0x3017, 0, Out().u32(2).u32(72).bytes, {data});
    std::vector<sdk::IdentifyCandidate> candidates;
    ASSERT_EQ(sdk::identify(link, buffer, 1.05f, &candidates), CAMX_OK);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_STREQ(candidates[0].userId, "alice");
    EXPECT_FLOAT_EQ(candidates[0].distance, 0.25f);
    EXPECT_STREQ(candidates[1].userId, "bob");
    EXPECT_EQ(sentParameters(), Out().f32(1.05f).bytes);
    EXPECT_EQ(transport.count("timeout 59000"), 1u);
    EXPECT_EQ(link.timeoutMs, 0u);

    link.firmwareVersion = 0x2001B;  // no distance parameter
    transport.answer(0x3017, 0, Out().u32(0).u32(0).bytes);
    ASSERT_EQ(sdk::identify(link, buffer, 1.05f, &candidates), CAMX_OK);
    EXPECT_EQ(transport.commands.back().length, 12u);
}

TEST_F(TemplateCommandsTest, IdentifyRefusesLengthsThatCannotHoldTheCandidates) {
    std::vector<sdk::IdentifyCandidate> candidates;
    transport.answer(0x3017, 0, Out().u32(3).u32(72).bytes, {Bytes(72, 1)});
    EXPECT_EQ(sdk::identify(link, buffer, 1.0f, &candidates), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(transport.lastStatus(), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x3017, 0, Out().u32(0x10000000).u32(0xFFFFFFF0).bytes);
    EXPECT_EQ(sdk::identify(link, buffer, 1.0f, &candidates), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x3017, 0, Out().u32(1).u32(sdk::kMaxDataPhaseBytes + 1).bytes);
    EXPECT_EQ(sdk::identify(link, buffer, 1.0f, &candidates), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_TRUE(candidates.empty());
    transport.answer(0x3017, 0, Out().u32(1).bytes);
    EXPECT_EQ(sdk::identify(link, buffer, 1.0f, &candidates), CAMX_DEVICE_IO_DATA_INVALID);
}

TEST_F(TemplateCommandsTest, CandidateIdsAreAlwaysTerminated) {
    Bytes unterminated(32, 'x');
    const Bytes data = Out().raw(unterminated).f32(0.5f).bytes;
    std::vector<sdk::IdentifyCandidate> candidates;
    ASSERT_EQ(sdk::decodeIdentifyCandidates(data.data(), data.size(), 1, &candidates), CAMX_OK);
    EXPECT_EQ(std::strlen(candidates[0].userId), 32u);
    for (std::size_t cut = 0; cut < data.size(); ++cut) {
        EXPECT_EQ(sdk::decodeIdentifyCandidates(data.data(), cut, 1, &candidates),
                  CAMX_DEVICE_IO_DATA_INVALID);
    }
}

TEST_F(TemplateCommandsTest, TemplatesAreHandedOutFromTheBuffer) {
    transport.answer(0x3005, 0, Out().u32(5).bytes, {{1, 2, 3, 4, 5}});
    sdk::DataBlock out;
    ASSERT_EQ(sdk::readResultTemplate(link, buffer, &out), CAMX_OK);
    EXPECT_EQ(out.size, 5u);
    EXPECT_EQ(out.data, buffer.data());
    transport.answer(0x3005, 0x5001);
    EXPECT_EQ(sdk::readResultTemplate(link, buffer, &out), CAMX_TPL_UNAVAILABLE);
    EXPECT_EQ(out.data, nullptr);
}

TEST_F(TemplateCommandsTest, TemplateFromDataTakesEitherForm) {
    sdk::DataBlock out;
    transport.answer(0x3006, 0, Out().u32(3).bytes, {{7, 8, 9}});
    ASSERT_EQ(sdk::readTemplateFromData(link, buffer, nullptr, &out), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(out.size, 3u);

    transport.on(0x3006, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(fakes::replyBlock(0x3006, 0));
        t.queue(fakes::replyBlock(0x3006, 0, Out().u32(2).bytes));
        t.queue({5, 6});
    });
    const Bytes request(64, 0x3C);
    const sdk::DataBlock data{64, request.data()};
    ASSERT_EQ(sdk::readTemplateFromData(link, buffer, &data, &out), CAMX_OK);
    EXPECT_EQ(sentParameters(1), (Bytes{64, 0, 0, 0}));
    EXPECT_EQ(transport.dataWrites.at(0), request);
    EXPECT_EQ(Bytes(out.data, out.data + out.size), (Bytes{5, 6}));

    const Bytes tooBig(65, 1);
    const sdk::DataBlock big{65, tooBig.data()};
    EXPECT_EQ(sdk::readTemplateFromData(link, buffer, &big, &out), CAMX_INVALID_PARAMETER);
}

TEST_F(TemplateCommandsTest, MatchRecordsAreSixWords) {
    transport.on(0x3007, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(fakes::replyBlock(0x3007, 0));
        t.queue(
            fakes::replyBlock(0x3007, 0, Out().u32(3).u32(0x10002).u8(1).u8(2).u8(0).u8(3).bytes));
    });
    const Bytes block(500, 1);
    sdk::MatchRecord record;
    ASSERT_EQ(sdk::matchTemplateBlock(link, {500, block.data()}, &record), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{0xF4, 0x01, 0, 0}));
    EXPECT_EQ(record.words[0], 3u);
    EXPECT_EQ(record.words[1], 0x10002u);
    EXPECT_EQ(record.words[2], 1u);
    EXPECT_EQ(record.words[5], 3u);

    EXPECT_EQ(sdk::matchTemplateBlock(link, {0xAB000, block.data()}, &record),
              CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::matchTemplateBlock(link, {5, nullptr}, &record), CAMX_INVALID_PARAMETER);

    transport.answer(0x3021, 0, Out().u32(1).u32(2).u8(3).u8(4).u8(5).u8(12).bytes);
    ASSERT_EQ(sdk::readEnrolleeRecord(link, "alice", &record), CAMX_OK);
    EXPECT_EQ(sentParameters(1), (Bytes{'a', 'l', 'i', 'c', 'e', 0}));
    EXPECT_EQ(record.words[5], 12u);
    transport.answer(0x3021, 0x4005);
    EXPECT_EQ(sdk::readEnrolleeRecord(link, "alice", &record), CAMX_GAL_ID_NOT_EXIST);
}

TEST_F(TemplateCommandsTest, ComparisonsGiveTheDistance) {
    float distance = 0;
    transport.answer(0x301A, 0, Out().f32(0.42f).bytes);
    ASSERT_EQ(sdk::compareWithEnrollee(link, "u1", &distance), CAMX_OK);
    EXPECT_FLOAT_EQ(distance, 0.42f);

    for (std::uint16_t code : {0x301B, 0x301F}) {
        transport.on(code, [code](FakeTransport& t, const FakeTransport::Command&) {
            t.queue(fakes::replyBlock(code, 0));
            t.queue(fakes::replyBlock(code, 0, Out().f32(1.5f).bytes));
        });
    }
    const Bytes block(0xAB000, 1);
    ASSERT_EQ(sdk::compareWithTemplate(link, {0xAB000, block.data()}, &distance), CAMX_OK);
    EXPECT_FLOAT_EQ(distance, 1.5f);
    ASSERT_EQ(sdk::compareWithTemplate(link, {10, block.data()}, &distance, true), CAMX_OK);
    EXPECT_EQ(transport.commands.back().code, 0x301F);
    EXPECT_EQ(sdk::compareWithTemplate(link, {0, block.data()}, &distance), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::compareWithTemplate(link, {0xAB001, block.data()}, &distance),
              CAMX_INVALID_PARAMETER);
}

TEST_F(TemplateCommandsTest, UserIdsAreCheckedBeforeAnyTraffic) {
    float distance = 0;
    sdk::MatchRecord record;
    sdk::DataBlock out;
    const std::string longest(31, 'a');
    const std::string tooLong(32, 'a');
    for (const char* bad : {"", "with-hyphen", "space d", "ümlaut", tooLong.c_str()}) {
        EXPECT_EQ(sdk::compareWithEnrollee(link, bad, &distance), CAMX_INVALID_PARAMETER) << bad;
        EXPECT_EQ(sdk::readEnrolleeRecord(link, bad, &record), CAMX_INVALID_PARAMETER);
        EXPECT_EQ(sdk::readEnrolleeTemplate(link, buffer, bad, &out), CAMX_INVALID_PARAMETER);
    }
    EXPECT_EQ(sdk::compareWithEnrollee(link, nullptr, &distance), CAMX_INVALID_PARAMETER);
    EXPECT_TRUE(transport.events.empty());

    transport.answer(0x3019, 0, Out().u32(1).bytes, {{0x77}});
    ASSERT_EQ(sdk::readEnrolleeTemplate(link, buffer, longest.c_str(), &out), CAMX_OK);
    EXPECT_EQ(transport.commands[0].length, 12u + 32u);
    EXPECT_EQ(out.size, 1u);
}

}  // namespace
