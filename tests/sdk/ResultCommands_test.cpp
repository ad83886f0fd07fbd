#include "sdk/ResultCommands.h"

#include <gtest/gtest.h>

#include "sdk/LinkFixture.h"

namespace {

using fakes::Bytes;
using fakes::FakeTransport;
using fakes::Out;

class ResultCommandsTest : public fakes::LinkFixture {
protected:
    void answerData(std::uint16_t code, std::uint16_t status, const Bytes& data) {
        transport.answer(code, status, Out().u32(static_cast<std::uint32_t>(data.size())).bytes,
                         {data});
    }
};

Bytes rawEntry(std::uint8_t fill, std::uint32_t w, std::uint32_t h) {
    return Out().u8(1).u8(2).u32(w).u32(h).fill(fill, w * h).bytes;
}

Bytes encodedEntry(std::uint8_t fill, std::uint32_t size) {
    return Out().u8(1).u8(10).u32(size).u32(0xFFFFFFFF).fill(fill, size).bytes;
}

TEST_F(ResultCommandsTest, ParametersFollowTheFirmware) {
    transport.answer(0x200C, 0x3006);
    sdk::ResultImageRequest request;
    request.kind = 7;
    request.format = 10;
    request.compressionKind = 2;
    request.compressionValue = 90;
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    EXPECT_EQ(sdk::readResultImages(link, buffer, request, images, &count),
              CAMX_SE_NO_QUALIFIED_FRAME);
    EXPECT_EQ(sentParameters(), (Bytes{7, 10, 2, 90, 0, 0, 0, 0}));

    link.firmwareVersion = 0x2001B;
    EXPECT_EQ(sdk::readResultImages(link, buffer, request, images, &count),
              CAMX_SE_NO_QUALIFIED_FRAME);
    EXPECT_EQ(sentParameters(1), (Bytes{7, 10, 90, 0}));
}

TEST_F(ResultCommandsTest, CompressionIsCheckedBeforeAnyTraffic) {
    auto check = [&](std::uint32_t firmware, std::uint8_t format, std::uint8_t kind,
                     std::uint32_t value) {
        link.firmwareVersion = firmware;
        sdk::ResultImageRequest r;
        r.format = format;
        r.compressionKind = kind;
        r.compressionValue = value;
        return sdk::checkResultImageRequest(link, r);
    };
    EXPECT_EQ(check(0x2001C, 10, 1, 1), CAMX_OK);
    EXPECT_EQ(check(0x2001C, 10, 2, 100), CAMX_OK);
    EXPECT_EQ(check(0x2001C, 138, 2, 0), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(check(0x2001C, 10, 2, 101), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(check(0x2001C, 10, 3, 1536), CAMX_OK);
    EXPECT_EQ(check(0x2001C, 10, 3, 1535), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(check(0x2001C, 10, 4, 50), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(check(0x2001C, 2, 9, 0), CAMX_OK);  // raw images take no compression
    EXPECT_EQ(check(0x2001B, 2, 1, 0), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(check(0x2001B, 2, 2, 0), CAMX_OK);
    EXPECT_EQ(check(0x2001B, 138, 2, 0), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(check(0x2001B, 138, 2, 100), CAMX_OK);

    sdk::ResultImageRequest bad;
    bad.format = 10;
    bad.compressionKind = 3;
    bad.compressionValue = 10;
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    link.firmwareVersion = 0x2001C;
    EXPECT_EQ(sdk::readResultImages(link, buffer, bad, images, &count), CAMX_INVALID_PARAMETER);
    EXPECT_TRUE(transport.events.empty());
}

TEST_F(ResultCommandsTest, MonocularRawAndEncodedImages) {
    sdk::ResultImageRequest request;
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    answerData(0x200C, 0, rawEntry(0x55, 16, 8));
    ASSERT_EQ(sdk::readResultImages(link, buffer, request, images, &count), CAMX_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(images[0].kind, 1);
    EXPECT_EQ(images[0].format, 2);
    EXPECT_EQ(images[0].width, 16u);
    EXPECT_EQ(images[0].height, 8u);
    EXPECT_EQ(images[0].size, 128u);
    EXPECT_EQ(images[0].data, buffer.data() + 10);

    request.format = 10;
    request.compressionValue = 80;
    answerData(0x200C, 0, encodedEntry(0x66, 300));
    ASSERT_EQ(sdk::readResultImages(link, buffer, request, images, &count), CAMX_OK);
    EXPECT_EQ(images[0].format, 10);
    EXPECT_EQ(images[0].width, 0u);
    EXPECT_EQ(images[0].size, 300u);
    EXPECT_EQ(images[0].data[299], 0x66);
}

TEST_F(ResultCommandsTest, BinocularImagesWithOneEyeUnqualified) {
    link.binocular = true;
    sdk::ResultImageRequest request;
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;

    Bytes both = rawEntry(0x01, 4, 4);
    const Bytes left = rawEntry(0x02, 4, 4);
    both.insert(both.end(), left.begin(), left.end());
    answerData(0x200C, 0, both);
    ASSERT_EQ(sdk::readResultImages(link, buffer, request, images, &count), CAMX_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(images[0].data[0], 0x01);
    EXPECT_EQ(images[1].data[0], 0x02);

    // Left eye unqualified: the one entry is the right eye's, in the first position.
    answerData(0x200C, 0x3008, rawEntry(0x01, 4, 4));
    ASSERT_EQ(sdk::readResultImages(link, buffer, request, images, &count),
              CAMX_SE_LEFT_FRAME_UNQUALIFIED);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(images[0].data[0], 0x01);
    EXPECT_EQ(images[1].data, nullptr);

    // Right eye unqualified: the one entry goes to the second position.
    answerData(0x200C, 0x3007, rawEntry(0x02, 4, 4));
    ASSERT_EQ(sdk::readResultImages(link, buffer, request, images, &count),
              CAMX_SE_RIGHT_FRAME_UNQUALIFIED);
    EXPECT_EQ(images[0].data, nullptr);
    EXPECT_EQ(images[1].data[0], 0x02);

    // Both eyes announced, one sent.
    answerData(0x200C, 0, rawEntry(0x01, 4, 4));
    EXPECT_EQ(sdk::readResultImages(link, buffer, request, images, &count),
              CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(images[0].data, nullptr);
}

TEST_F(ResultCommandsTest, ResultDataWithLyingSizesIsCaught) {
    sdk::ResultImageRequest request;
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    const Bytes good = rawEntry(0x01, 4, 4);
    for (bool binocular : {false, true}) {
        for (std::size_t cut = 0; cut < good.size(); ++cut) {
            EXPECT_EQ(sdk::decodeResultImages(good.data(), cut, CAMX_SE_LEFT_FRAME_UNQUALIFIED,
                                              binocular, false, request, images, &count),
                      CAMX_DEVICE_IO_DATA_INVALID);
        }
    }
    const Bytes lying = Out().u8(1).u8(2).u32(0x10000).u32(0x10001).fill(0, 64).bytes;
    EXPECT_EQ(sdk::decodeResultImages(lying.data(), lying.size(), 0, false, false, request, images,
                                      &count),
              CAMX_DEVICE_IO_DATA_INVALID);
    const Bytes lyingSize = Out().u8(1).u8(10).u32(0xFFFFFFFF).u32(0).fill(0, 64).bytes;
    EXPECT_EQ(sdk::decodeResultImages(lyingSize.data(), lyingSize.size(), 0, false, false, request,
                                      images, &count),
              CAMX_DEVICE_IO_DATA_INVALID);
    for (std::size_t offset = 0; offset < 10; ++offset) {
        Bytes corrupt = good;
        corrupt[offset] ^= 0xFF;
        const CamxStatus status = sdk::decodeResultImages(corrupt.data(), corrupt.size(), 0, false,
                                                          false, request, images, &count);
        ASSERT_TRUE(status == CAMX_OK || status == CAMX_DEVICE_IO_DATA_INVALID);
        if (status == CAMX_OK) {
            EXPECT_LE(images[0].data + images[0].size, corrupt.data() + corrupt.size());
        }
    }
}

TEST_F(ResultCommandsTest, ImagesWithDataSendTheBlockAndHandOutBothParts) {
    sdk::ResultImageRequest request;
    const Bytes block{1, 2, 3, 4};
    const Bytes entry = Out().u32(3).raw({9, 9, 9}).u32(2).raw({8, 8}).bytes;
    transport.on(0x200D, [&](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(fakes::replyBlock(0x200D, 0));
        t.queue(fakes::replyBlock(0x200D, 0,
                                  Out().u32(static_cast<std::uint32_t>(entry.size())).bytes));
        t.queue(entry);
    });
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    const sdk::DataBlock data{4, block.data()};
    ASSERT_EQ(sdk::readResultImagesWithData(link, buffer, request, data, images, &count), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{1, 2, 2, 0, 0, 0, 0, 4, 0, 0, 0, 0}));
    EXPECT_EQ(transport.dataWrites.at(0), block);
    EXPECT_EQ(images[0].size, entry.size());
    EXPECT_EQ(Bytes(images[0].data, images[0].data + images[0].size), entry);

    // Binocular cameras take the length one byte later; older firmware after p2.
    link.binocular = true;
    transport.commands.clear();
    sdk::readResultImagesWithData(link, buffer, request, data, images, &count);
    EXPECT_EQ(sentParameters(), (Bytes{1, 2, 2, 0, 0, 0, 0, 0, 4, 0, 0, 0}));
    link.firmwareVersion = 0x2001B;
    link.binocular = false;
    transport.commands.clear();
    sdk::readResultImagesWithData(link, buffer, request, data, images, &count);
    EXPECT_EQ(sentParameters(), (Bytes{1, 2, 0, 4, 0, 0, 0, 0}));

    transport.events.clear();
    const Bytes big(65, 1);
    EXPECT_EQ(
        sdk::readResultImagesWithData(link, buffer, request, {65, big.data()}, images, &count),
        CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::readResultImagesWithData(link, buffer, request, {0, big.data()}, images, &count),
              CAMX_INVALID_PARAMETER);
    EXPECT_TRUE(transport.events.empty());
}

TEST_F(ResultCommandsTest, QualityPairsPerEye) {
    sdk::QualityPair pairs[2];
    std::uint32_t count = 0;
    transport.answer(0x2011, 0, {70, 80});
    ASSERT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_OK);
    EXPECT_EQ(sentParameters(), Bytes{0});
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(pairs[0].first, 70);
    EXPECT_EQ(pairs[0].second, 80);

    link.binocular = true;
    transport.answer(0x2011, 0, {70, 80, 60, 50});
    ASSERT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(pairs[1].first, 60);
    EXPECT_EQ(pairs[1].second, 50);

    transport.answer(0x2011, 0, {70, 80, 60});  // the second pair cut short
    EXPECT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_DEVICE_IO_DATA_INVALID);

    transport.answer(0x2011, 0x3007, {33, 44});
    ASSERT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_SE_RIGHT_FRAME_UNQUALIFIED);
    EXPECT_EQ(pairs[0].first, 0);
    EXPECT_EQ(pairs[1].first, 33);
    EXPECT_EQ(pairs[1].second, 44);

    transport.answer(0x2011, 0x3008, {33, 44});
    ASSERT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_SE_LEFT_FRAME_UNQUALIFIED);
    EXPECT_EQ(pairs[0].first, 33);
    EXPECT_EQ(pairs[1].first, 0);

    transport.answer(0x2011, 0, {70});
    EXPECT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_DEVICE_IO_DATA_INVALID);
}

TEST_F(ResultCommandsTest, IsoImageParameters) {
    const Bytes record(100, 0x49);
    answerData(0x2014, 0, record);
    sdk::IsoImageRequest request;
    request.revision = 2;
    request.kind = 3;
    request.format = 10;
    request.compressionKind = 2;
    request.compressionValue = 75;
    request.eyePosition = 1;
    sdk::DataBlock out;
    ASSERT_EQ(sdk::readIsoImage(link, buffer, request, nullptr, false, &out), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{2, 3, 10, 2, 75, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                       0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(out.size, 100u);
    EXPECT_EQ(out.data, buffer.data());

    link.firmwareVersion = 0x2001B;
    answerData(0x2014, 0, record);
    ASSERT_EQ(sdk::readIsoImage(link, buffer, request, nullptr, false, &out), CAMX_OK);
    EXPECT_EQ(sentParameters(1), (Bytes{2, 3, 10, 75}));

    answerData(0x2014, 0, {});
    ASSERT_EQ(sdk::readIsoImage(link, buffer, request, nullptr, false, &out), CAMX_OK);
    EXPECT_EQ(out.size, 0u);
    EXPECT_EQ(out.data, nullptr);
}

TEST_F(ResultCommandsTest, IsoCompressionCodesStandForJpeg2000Ratios) {
    sdk::IsoImageRequest request;
    request.format = 10;
    const std::uint32_t values[] = {1536, 2560, 3584, 5120};
    for (std::uint16_t code = 0x1007; code <= 0x100A; ++code) {
        transport.commands.clear();
        answerData(0x2014, 0, {1});
        request.kind = code;
        sdk::DataBlock out;
        ASSERT_EQ(sdk::readIsoImage(link, buffer, request, nullptr, false, &out), CAMX_OK);
        const Bytes p = sentParameters();
        EXPECT_EQ(p[1], 7);
        EXPECT_EQ(p[2], 10);
        EXPECT_EQ(p[3], 3);
        EXPECT_EQ(p[4] | p[5] << 8, static_cast<int>(values[code - 0x1007]));
    }
    request.format = 2;
    sdk::DataBlock out;
    EXPECT_EQ(sdk::readIsoImage(link, buffer, request, nullptr, false, &out),
              CAMX_INVALID_PARAMETER);
}

TEST_F(ResultCommandsTest, IsoRequestsTheCameraCannotServeAreRefusedWithoutTraffic) {
    auto refused = [&](std::function<void(sdk::IsoImageRequest&)> change) {
        sdk::IsoImageRequest request;
        change(request);
        sdk::DataBlock out;
        return sdk::readIsoImage(link, buffer, request, nullptr, false, &out) ==
               CAMX_INVALID_PARAMETER;
    };
    EXPECT_TRUE(refused([](auto& r) { r.revision = 3; }));
    EXPECT_TRUE(refused([](auto& r) { r.revision = 0; }));
    EXPECT_TRUE(refused([](auto& r) { r.kind = 4; }));
    EXPECT_TRUE(refused([](auto& r) { r.kind = 0x100B; }));
    EXPECT_TRUE(refused([](auto& r) { r.format = 130; }));
    EXPECT_TRUE(refused([](auto& r) {
        r.revision = 1;
        r.kind = 3;
    }));
    EXPECT_TRUE(refused([](auto& r) { r.compressionKind = 0; }));
    EXPECT_TRUE(refused([](auto& r) { r.eyePosition = 3; }));  // monocular
    EXPECT_TRUE(transport.events.empty());
    link.binocular = true;
    answerData(0x2014, 0, {1});
    EXPECT_FALSE(refused([](auto& r) { r.eyePosition = 3; }));
}

TEST_F(ResultCommandsTest, IsoWithDataUsesTheSecondCommand) {
    sdk::IsoImageRequest request;
    const Bytes extra{1, 2, 3, 4, 5, 6, 7, 8, 9};
    transport.on(0x2015, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(fakes::replyBlock(0x2015, 0));
        t.queue(fakes::replyBlock(0x2015, 0, Out().u32(2).bytes));
        t.queue({0x11, 0x22});
    });
    const sdk::DataBlock data{9, extra.data()};
    sdk::DataBlock out;
    ASSERT_EQ(sdk::readIsoImage(link, buffer, request, &data, true, &out), CAMX_OK);
    const Bytes p = sentParameters();
    ASSERT_EQ(p.size(), 22u);
    EXPECT_EQ(Bytes(p.begin() + 9, p.begin() + 18), extra);
    EXPECT_EQ(Bytes(p.begin() + 18, p.end()), (Bytes{9, 0, 0, 0}));
    EXPECT_EQ(transport.dataWrites.at(0), extra);
    EXPECT_EQ(out.size, 2u);

    // Without a block: length 0 and no data phase.
    transport.answer(0x2015, 0, Out().u32(1).bytes, {{0x33}});
    ASSERT_EQ(sdk::readIsoImage(link, buffer, request, nullptr, true, &out), CAMX_OK);
    const Bytes q = sentParameters(1);
    EXPECT_EQ(Bytes(q.begin() + 18, q.end()), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Bytes(q.begin() + 9, q.begin() + 18), Bytes(9, 0xFF));
    EXPECT_EQ(transport.dataWrites.size(), 1u);
}

}  // namespace
