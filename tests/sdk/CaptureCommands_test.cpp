#include "sdk/CaptureCommands.h"

#include <gtest/gtest.h>

#include "sdk/LinkFixture.h"

namespace {

using fakes::Bytes;
using fakes::FakeTransport;
using fakes::Out;

class CaptureCommandsTest : public fakes::LinkFixture {};

TEST_F(CaptureCommandsTest, InitialiseReportsTheFrameSize) {
    transport.answer(0x2003, 0, Out().u32(640).u32(480).bytes);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_EQ(sdk::initCamera(link, &width, &height), CAMX_OK);
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(height, 480u);
    transport.answer(0x2003, 0, Out().u32(640).bytes);
    EXPECT_EQ(sdk::initCamera(link, &width, &height), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x2003, 0x3002);
    EXPECT_EQ(sdk::initCamera(link, &width, &height), CAMX_SE_NO_CAM);
}

TEST_F(CaptureCommandsTest, StartCaptureLaysOutItsSevenParameterBytes) {
    transport.answer(0x2009, 0);
    sdk::CaptureParameters parameters;
    parameters.captureMode = 2;
    parameters.count = 0x1234;
    parameters.qualityMode = 3;
    parameters.operationMode = 2;
    parameters.autoFlag = 1;
    parameters.eyeSubtype = 0;
    ASSERT_EQ(sdk::startCapture(link, parameters), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{2, 0x34, 0x12, 3, 2, 1, 0}));
}

TEST_F(CaptureCommandsTest, CaptureParametersAreCheckedAgainstTheCamera) {
    sdk::CaptureParameters ok;
    ok.count = 3;
    EXPECT_EQ(sdk::checkCaptureParameters(link, ok), CAMX_OK);
    auto refused = [&](std::function<void(sdk::CaptureParameters&)> change) {
        sdk::CaptureParameters p = ok;
        change(p);
        return sdk::checkCaptureParameters(link, p) == CAMX_INVALID_PARAMETER;
    };
    EXPECT_TRUE(refused([](auto& p) { p.count = 0; }));
    EXPECT_TRUE(refused([](auto& p) { p.count = 60001; }));
    EXPECT_FALSE(refused([](auto& p) { p.count = 60000; }));
    EXPECT_TRUE(refused([](auto& p) { p.qualityMode = 4; }));
    EXPECT_TRUE(refused([](auto& p) { p.qualityMode = 0; }));
    EXPECT_TRUE(refused([](auto& p) { p.captureMode = 3; }));
    EXPECT_TRUE(refused([](auto& p) { p.operationMode = 3; }));
    EXPECT_FALSE(refused([](auto& p) { p.operationMode = 2; }));
    EXPECT_TRUE(refused([](auto& p) { p.eyeSubtype = 1; }));  // monocular
    link.binocular = true;
    EXPECT_FALSE(refused([](auto& p) { p.eyeSubtype = 3; }));
    EXPECT_TRUE(refused([](auto& p) { p.eyeSubtype = 4; }));
    link.firmwareVersion = 0x2001B;
    EXPECT_TRUE(refused([](auto& p) { p.operationMode = 2; }));
}

TEST_F(CaptureCommandsTest, SimpleCommandsSendTheirCodeAndParameter) {
    for (std::uint16_t code : {0x2007, 0x200A, 0x200B, 0x2010}) {
        transport.answer(code, 0);
    }
    EXPECT_EQ(sdk::deinitCamera(link), CAMX_OK);
    EXPECT_EQ(sdk::stopCapture(link), CAMX_OK);
    EXPECT_EQ(sdk::setEyeOption(link, 3), CAMX_OK);
    EXPECT_EQ(sdk::cameraCommand(link), CAMX_OK);
    EXPECT_EQ(transport.codes(), (std::vector<std::uint16_t>{0x2007, 0x200A, 0x200B, 0x2010}));
    EXPECT_EQ(sentParameters(2), Bytes{3});
    EXPECT_EQ(transport.commands[3].length, 12u);
}

TEST_F(CaptureCommandsTest, CaptureStatusIsTheFirstResultByte) {
    transport.answer(0x200E, 0, {2});
    std::uint8_t status = 0;
    ASSERT_EQ(sdk::readCaptureStatus(link, &status), CAMX_OK);
    EXPECT_EQ(status, 2);
    transport.answer(0x200E, 0, {});
    EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_DEVICE_IO_DATA_INVALID);
}

Bytes streamData(std::uint8_t status, std::uint32_t w, std::uint32_t h, std::size_t frames) {
    Out out;
    out.u8(status).u8(2).u32(w).u32(h);
    for (std::size_t f = 0; f < frames; ++f) {
        out.fill(static_cast<std::uint8_t>(0x10 + f), w * h);
    }
    return out.bytes;
}

void answerStream(FakeTransport& transport, const Bytes& data) {
    transport.answer(
        0x200F, 0, Out().u32(static_cast<std::uint32_t>(data.size())).u32(0).u32(0).bytes, {data});
}

TEST_F(CaptureCommandsTest, StreamImagesOfAMonocularCamera) {
    answerStream(transport, streamData(2, 8, 4, 1));
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::uint8_t status = 0;
    ASSERT_EQ(sdk::readStreamImages(link, buffer, 0, images, &count, &status), CAMX_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(images[0].format, 2);
    EXPECT_EQ(images[0].width, 8u);
    EXPECT_EQ(images[0].height, 4u);
    EXPECT_EQ(images[0].size, 32u);
    EXPECT_EQ(images[0].data, buffer.data() + 10);
    EXPECT_EQ(images[1].data, nullptr);
}

TEST_F(CaptureCommandsTest, StreamImagesOfABinocularCamera) {
    link.binocular = true;
    answerStream(transport, streamData(2, 8, 4, 2));
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::uint8_t status = 0;
    ASSERT_EQ(sdk::readStreamImages(link, buffer, 0, images, &count, &status), CAMX_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(images[0].data[0], 0x10);
    EXPECT_EQ(images[1].data, images[0].data + 32);
    EXPECT_EQ(images[1].data[0], 0x11);

    // One eye only: its frame right after the head, in that eye's position.
    answerStream(transport, streamData(2, 8, 4, 1));
    ASSERT_EQ(sdk::readStreamImages(link, buffer, 2, images, &count, &status), CAMX_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(images[0].data, nullptr);
    EXPECT_EQ(images[1].data, buffer.data() + 10);
    answerStream(transport, streamData(2, 8, 4, 1));
    ASSERT_EQ(sdk::readStreamImages(link, buffer, 1, images, &count, &status), CAMX_OK);
    EXPECT_EQ(images[0].data, buffer.data() + 10);
    EXPECT_EQ(images[1].data, nullptr);

    // Both eyes asked for, one frame sent.
    answerStream(transport, streamData(2, 8, 4, 1));
    EXPECT_EQ(sdk::readStreamImages(link, buffer, 0, images, &count, &status),
              CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(count, 0u);
}

TEST_F(CaptureCommandsTest, NoFrameAndShortRepliesPassThrough) {
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::uint8_t status = 0;
    transport.answer(0x200F, 0x3005);
    EXPECT_EQ(sdk::readStreamImages(link, buffer, 0, images, &count, &status),
              CAMX_SE_NO_FRAME_AVAILABLE);
    transport.answer(0x200F, 0, Out().u32(0).bytes);  // fewer than 12 result bytes
    EXPECT_EQ(sdk::readStreamImages(link, buffer, 0, images, &count, &status),
              CAMX_DEVICE_IO_DATA_INVALID);
}

TEST_F(CaptureCommandsTest, StreamDataThatLiesAboutItsFramesIsCaught) {
    const Bytes good = streamData(2, 8, 4, 1);
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::uint8_t status = 0;
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        EXPECT_EQ(sdk::decodeStreamImages(good.data(), cut, false, 0, images, &count, &status),
                  CAMX_DEVICE_IO_DATA_INVALID);
    }
    // Width and height whose product wraps a 32-bit number.
    Bytes wrap = Out().u8(2).u8(2).u32(0x10000).u32(0x10000).fill(0, 16).bytes;
    EXPECT_EQ(sdk::decodeStreamImages(wrap.data(), wrap.size(), false, 0, images, &count, &status),
              CAMX_DEVICE_IO_DATA_INVALID);
    for (std::size_t offset = 0; offset < 10; ++offset) {
        for (bool binocular : {false, true}) {
            Bytes corrupt = good;
            corrupt[offset] ^= 0xFF;
            const CamxStatus result = sdk::decodeStreamImages(
                corrupt.data(), corrupt.size(), binocular, 0, images, &count, &status);
            ASSERT_TRUE(result == CAMX_OK || result == CAMX_DEVICE_IO_DATA_INVALID);
            for (const sdk::ImageInfo& image : images) {
                if (image.data != nullptr) {
                    EXPECT_LE(image.data + image.size, corrupt.data() + corrupt.size());
                }
            }
        }
    }
}

}  // namespace
