// The device side of the block protocol, fed raw bytes: blocks and data phases, what counts as
// line noise, and the wire faults armed from the control socket.

#include "simulator/DeviceSession.h"

#include <gtest/gtest.h>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteWriter.h"
#include "simulator/CameraTestKit.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::u32At;

std::vector<std::uint8_t> commandBlock(std::uint16_t code,
                                       const std::vector<std::uint8_t>& params = {},
                                       std::uint32_t magic = kBlockMagic) {
    ByteWriter writer;
    writer.u32(magic);
    writer.u32(static_cast<std::uint32_t>(12 + params.size()));
    writer.u16(code);
    writer.u16(0);
    writer.bytes(params);
    // Don't-care bytes past the used parameters.
    writer.fill(0xEE, kMaxInlineBytes - params.size());
    return writer.take();
}

struct ParsedReply {
    std::uint32_t magic = 0;
    std::uint32_t length = 0;
    std::uint16_t code = 0;
    std::uint16_t status = 0;
    std::vector<std::uint8_t> results;
};

ParsedReply parseReply(const Outbound& transfer) {
    ParsedReply reply;
    EXPECT_EQ(transfer.bytes.size(), kBlockSize);
    if (transfer.bytes.size() != kBlockSize) {
        return reply;
    }
    reply.magic = u32At(transfer.bytes, 0);
    reply.length = u32At(transfer.bytes, 4);
    reply.code = static_cast<std::uint16_t>(transfer.bytes[8] | (transfer.bytes[9] << 8));
    reply.status = static_cast<std::uint16_t>(transfer.bytes[10] | (transfer.bytes[11] << 8));
    reply.results.assign(transfer.bytes.begin() + 12, transfer.bytes.begin() + reply.length);
    // Unused inline bytes are zero.
    for (std::size_t i = reply.length; i < kBlockSize; ++i) {
        EXPECT_EQ(transfer.bytes[i], 0) << "byte " << i;
    }
    return reply;
}

class DeviceSessionTest : public ::testing::Test {
protected:
    std::vector<Outbound> send(const std::vector<std::uint8_t>& bytes) {
        std::vector<Outbound> out;
        session.onTransfer(bytes.data(), bytes.size(), kit.now, out);
        return out;
    }

    CameraKit kit;
    DeviceSession session{kit.camera};
};

TEST_F(DeviceSessionTest, RepliesEchoTheCodeAndAnnounceTheirResults) {
    const std::vector<Outbound> out = send(commandBlock(cmd::kInitCamera));
    ASSERT_EQ(out.size(), 1u);
    const ParsedReply reply = parseReply(out[0]);
    EXPECT_EQ(reply.magic, kBlockMagic);
    EXPECT_EQ(reply.code, cmd::kInitCamera);
    EXPECT_EQ(reply.status, 0);
    EXPECT_EQ(reply.length, 20u);
    EXPECT_EQ(u32At(reply.results, 0), 640u);
    EXPECT_EQ(session.commandCount(cmd::kInitCamera), 1u);
}

TEST_F(DeviceSessionTest, DataInFollowsTheReplyAsItsOwnTransfer) {
    const std::vector<Outbound> out = send(commandBlock(cmd::kReadCameraConfig));
    ASSERT_EQ(out.size(), 2u);
    const ParsedReply reply = parseReply(out[0]);
    EXPECT_EQ(u32At(reply.results, 0), out[1].bytes.size());
    EXPECT_EQ(out[1].bytes.size(), 46u);
}

TEST_F(DeviceSessionTest, DataOutIsAcknowledgedThenAnswered) {
    const std::vector<std::uint8_t> config = kit.run(cmd::kReadCameraConfig).data;
    std::vector<Outbound> out = send(commandBlock(cmd::kWriteCameraConfig, {46, 0, 0, 0}));
    ASSERT_EQ(out.size(), 1u);
    ParsedReply ack = parseReply(out[0]);
    EXPECT_EQ(ack.code, cmd::kWriteCameraConfig);
    EXPECT_EQ(ack.status, 0);
    EXPECT_EQ(ack.length, 12u);
    EXPECT_TRUE(session.expectingData());
    EXPECT_EQ(session.expectedDataLength(), 46u);
    out = send(config);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(parseReply(out[0]).status, 0);
    EXPECT_FALSE(session.expectingData());

    // A data phase of the wrong length is bad data; the session is ready for blocks again.
    send(commandBlock(cmd::kWriteCameraConfig, {46, 0, 0, 0}));
    out = send(std::vector<std::uint8_t>(config.begin(), config.end() - 1));
    EXPECT_EQ(parseReply(out.at(0)).status, CAMX_DEV_BAD_DATA);
    EXPECT_EQ(parseReply(send(commandBlock(cmd::kInitCamera)).at(0)).status, 0);
}

TEST_F(DeviceSessionTest, NoiseIsIgnoredAndImpossibleLengthsAreBadData) {
    EXPECT_TRUE(send({1, 2, 3}).empty());
    EXPECT_TRUE(send(commandBlock(cmd::kInitCamera, {}, 0x12345678)).empty());
    EXPECT_EQ(session.ignoredTransfers(), 2u);
    std::vector<std::uint8_t> tooLong = commandBlock(cmd::kInitCamera);
    tooLong[4] = 89;
    const std::vector<Outbound> out = send(tooLong);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(parseReply(out[0]).code, cmd::kInitCamera);
    EXPECT_EQ(parseReply(out[0]).status, CAMX_DEV_BAD_DATA);
    std::vector<std::uint8_t> tooShort = commandBlock(cmd::kInitCamera);
    tooShort[4] = 11;
    EXPECT_EQ(parseReply(send(tooShort).at(0)).status, CAMX_DEV_BAD_DATA);
    EXPECT_FALSE(kit.state().initialised);
}

TEST_F(DeviceSessionTest, ParametersPastTheAnnouncedLengthDoNotCount) {
    // Eye option with no parameter bytes announced, though the block carries 0xEE after it.
    EXPECT_EQ(parseReply(send(commandBlock(cmd::kEyeOption)).at(0)).status, CAMX_DEV_BAD_DATA);
    EXPECT_EQ(parseReply(send(commandBlock(cmd::kEyeOption, {0})).at(0)).status, 0);
}

TEST_F(DeviceSessionTest, WireFaultsApplyOnce) {
    session.faults().dropNext(cmd::kInitCamera);
    EXPECT_TRUE(send(commandBlock(cmd::kInitCamera)).empty());
    EXPECT_FALSE(kit.state().initialised);
    EXPECT_EQ(send(commandBlock(cmd::kInitCamera)).size(), 1u);

    session.faults().echoNext(cmd::kCaptureStatus, 0x1234);
    EXPECT_EQ(parseReply(send(commandBlock(cmd::kCaptureStatus)).at(0)).code, 0x1234);
    EXPECT_EQ(parseReply(send(commandBlock(cmd::kCaptureStatus)).at(0)).code, cmd::kCaptureStatus);

    session.faults().shortenNext(cmd::kReadCameraConfig, 40);
    std::vector<Outbound> out = send(commandBlock(cmd::kReadCameraConfig));
    ASSERT_EQ(out.size(), 1u);  // cut short, and no data phase
    EXPECT_EQ(out[0].bytes.size(), 40u);

    session.faults().delayNext(cmd::kCaptureStatus, std::chrono::milliseconds(250));
    out = send(commandBlock(cmd::kCaptureStatus));
    EXPECT_EQ(out.at(0).notBefore, kit.now + std::chrono::milliseconds(250));
    out = send(commandBlock(cmd::kCaptureStatus));
    EXPECT_LE(out.at(0).notBefore, kit.now);
}

TEST_F(DeviceSessionTest, ADelayOfADataCommandHoldsItsAcknowledgement) {
    const std::vector<std::uint8_t> config = kit.run(cmd::kReadCameraConfig).data;
    session.faults().delayNext(cmd::kWriteCameraConfig, std::chrono::milliseconds(100));
    session.faults().echoNext(cmd::kWriteCameraConfig, 0x10C0);
    std::vector<Outbound> out = send(commandBlock(cmd::kWriteCameraConfig, {46, 0, 0, 0}));
    EXPECT_EQ(out.at(0).notBefore, kit.now + std::chrono::milliseconds(100));
    EXPECT_EQ(parseReply(out.at(0)).code, cmd::kWriteCameraConfig);
    out = send(config);
    EXPECT_LE(out.at(0).notBefore, kit.now);
    EXPECT_EQ(parseReply(out.at(0)).code, 0x10C0);  // the echo fault belongs to the final reply
}

TEST_F(DeviceSessionTest, ResetForgetsADataPhaseInProgress) {
    send(commandBlock(cmd::kWriteCameraConfig, {46, 0, 0, 0}));
    ASSERT_TRUE(session.expectingData());
    session.reset();
    EXPECT_FALSE(session.expectingData());
    EXPECT_EQ(parseReply(send(commandBlock(cmd::kInitCamera)).at(0)).status, 0);
}

}  // namespace
}  // namespace ocusim
