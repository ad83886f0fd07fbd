#include "imaging/ImageEncoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/ImageDecoders.h"
#include "imaging/TestImages.h"

namespace {

using namespace lensws;
using imagingtest::Decoded;
using vtl_base_type::MemoryFile;
using vtl_base_type::ServiceMemoryPool;

std::vector<unsigned char> contentOf(MemoryFile& file, std::size_t from = 0) {
    return std::vector<unsigned char>(file.buffer() + from, file.buffer() + file.size());
}

struct RoundTrip {
    int format;
    unsigned width;
    unsigned height;
    float quality;
    double minPsnr;        // INFINITY: the very pixels
    bool prefixed;         // the output already holds three bytes: the file follows them
    std::size_t maxBytes;  // JPEG 2000: width x height / (100 / quality); 0: no bound
};

void PrintTo(const RoundTrip& c, std::ostream* out) {
    *out << "format " << c.format << ", " << c.width << "x" << c.height << ", quality "
         << c.quality;
}

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, DecodesIndependentlyToThePixels) {
    const RoundTrip c = GetParam();
    const std::vector<std::uint8_t> pixels = imagingtest::testImage(c.width, c.height);
    ServiceMemoryPool pool;
    MemoryFile file(&pool);
    if (c.prefixed) {
        ASSERT_TRUE(file.open(1));
        ASSERT_EQ(file.write("XYZ", 1, 3), 3u);
    }
    std::string error;
    ASSERT_TRUE(
        encodeGreyImage(pixels.data(), c.width, c.height, c.format, c.quality, &file, &error))
        << error;
    const std::vector<unsigned char> bytes = contentOf(file, c.prefixed ? 3 : 0);
    // What each format's file must say beyond its pixels: colour model, and resolution in the
    // unit its reader reports (96 dpi is 3780 pixels per metre).
    const struct {
        bool (*decode)(const imagingtest::Bytes&, Decoded&);
        int model;
        unsigned density;
    } facts[] = {{},
                 {imagingtest::decodeBmp, 1, 96},  // 1: Pillow saw a grey-ramp colour table
                 {imagingtest::decodeJpeg, JCS_GRAYSCALE, 96},
                 {imagingtest::decodePng, PNG_COLOR_TYPE_PALETTE, 3780},
                 {imagingtest::decodeJp2, OPJ_CLRSPC_GRAY, 0}};
    Decoded d;
    ASSERT_TRUE(facts[c.format].decode(bytes, d));
    EXPECT_EQ(d.model, facts[c.format].model);
    if (c.format != kEncoderJpeg2000) {
        EXPECT_EQ(d.densityUnit, 1);
        EXPECT_EQ(d.densityX, facts[c.format].density);
        EXPECT_EQ(d.densityY, facts[c.format].density);
    }
    if (c.format == kEncoderPng) {
        EXPECT_EQ(d.interlace, PNG_INTERLACE_NONE);
        std::vector<unsigned char> ramp;
        for (int i = 0; i < 256; ++i) {
            ramp.insert(ramp.end(), 3, static_cast<unsigned char>(i));
        }
        EXPECT_EQ(d.palette, ramp);
    }
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(d.components, 1);
    ASSERT_EQ(d.pixels.size(), pixels.size());
    EXPECT_GE(imagingtest::psnr(pixels, d.pixels), c.minPsnr);
    if (c.maxBytes > 0) {
        EXPECT_LE(bytes.size(), c.maxBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, RoundTripTest,
    ::testing::Values(RoundTrip{kEncoderBmp, 1, 1, 80, INFINITY, false, 0},
                      RoundTrip{kEncoderBmp, 3, 7, 80, INFINITY, true, 0},
                      RoundTrip{kEncoderBmp, 641, 479, 80, INFINITY, false, 0},
                      RoundTrip{kEncoderPng, 1, 1, 80, INFINITY, false, 0},
                      RoundTrip{kEncoderPng, 3, 7, 80, INFINITY, false, 0},
                      RoundTrip{kEncoderPng, 641, 479, 80, INFINITY, true, 0},
                      RoundTrip{kEncoderJpeg, 1, 1, 80, 40, false, 0},
                      RoundTrip{kEncoderJpeg, 3, 7, 80, 40, true, 0},
                      RoundTrip{kEncoderJpeg, 641, 479, 80, 35, false, 0},
                      RoundTrip{kEncoderJpeg, 640, 480, 50, 33, false, 0},
                      RoundTrip{kEncoderJpeg2000, 1, 1, 50, 40, false, 0},
                      RoundTrip{kEncoderJpeg2000, 3, 7, 50, 40, false, 0},
                      RoundTrip{kEncoderJpeg2000, 641, 479, 50, 40, true, 153519},
                      RoundTrip{kEncoderJpeg2000, 640, 480, 10, 35, false, 30720},
                      RoundTrip{kEncoderJpeg2000, 640, 480, 3, 33, false, 9216},
                      RoundTrip{kEncoderJpeg2000, 640, 480, 100, INFINITY, false, 0}));

TEST(ImageEncoderTest, ReservesFromSizeFormatAndQuality) {
    EXPECT_EQ(encoderReservation(kEncoderJpeg, 640, 480, 50), 76800u);
    EXPECT_EQ(encoderReservation(kEncoderJpeg2000, 640, 480, 50.9f), 76800u);
    EXPECT_EQ(encoderReservation(kEncoderJpeg, 640, 480, 80), 122880u);
    EXPECT_EQ(encoderReservation(kEncoderJpeg, 640, 480, 1000), 153600u);
    EXPECT_EQ(encoderReservation(kEncoderJpeg, 640, 480, -3), 0u);
    EXPECT_EQ(encoderReservation(kEncoderPng, 640, 480, 50), 153600u);
    EXPECT_EQ(encoderReservation(kEncoderBmp, 3, 7, 50), 21u);
    EXPECT_EQ(encoderReservation(0, 640, 480, 50), 0u);

    // The 76800 bytes round up to the file's growth step, 81920, and the frame fits in them:
    // growing on demand instead would have ended at the step above the file's size.
    const std::vector<std::uint8_t> eye = imagingtest::testImage(640, 480);
    ServiceMemoryPool pool;
    MemoryFile file(&pool);
    ASSERT_TRUE(encodeGreyImage(eye.data(), 640, 480, kEncoderJpeg, 50, &file));
    EXPECT_EQ(file.capacity(), 81920u);
    EXPECT_LT(file.size(), 73728);
}

TEST(ImageEncoderTest, FailuresLeaveTheirText) {
    const std::vector<std::uint8_t> pixels(64, 128);
    const float nan = NAN;
    const struct {
        const std::uint8_t* pixels;
        unsigned width;
        unsigned height;
        int format;
        float quality;
        bool withOutput;
        const char* text;
    } cases[] = {
        {pixels.data(), 8, 8, 0, 50, true, "Encode: Unknown format"},
        {pixels.data(), 8, 8, 5, 50, true, "Encode: Unknown format"},
        {pixels.data(), 0, 8, kEncoderJpeg, 50, true,
         "CxImage::Create : width and height must be greater than zero"},
        {pixels.data(), 8, 0, kEncoderPng, 50, true,
         "CxImage::Create : width and height must be greater than zero"},
        {pixels.data(), 8, 8, kEncoderJpeg, 50, false, "null file handler"},
        {nullptr, 8, 8, kEncoderBmp, 50, true, "null image!!!"},
        // Refused from the sizes alone: the pixels are never read.
        {pixels.data(), 100000, 100000, kEncoderBmp, 50, true, "CXIMAGE_MAX_MEMORY exceeded"},
        {pixels.data(), 16385, 16384, kEncoderJpeg, 50, true, "CXIMAGE_MAX_MEMORY exceeded"},
        {pixels.data(), 8, 8, kEncoderJpeg2000, 0, true,
         "JPEG 2000 quality must be greater than zero"},
        {pixels.data(), 8, 8, kEncoderJpeg2000, nan, true,
         "JPEG 2000 quality must be greater than zero"},
    };
    for (const auto& c : cases) {
        ServiceMemoryPool pool;
        MemoryFile file(&pool);
        std::string error;
        EXPECT_FALSE(encodeGreyImage(c.pixels, c.width, c.height, c.format, c.quality,
                                     c.withOutput ? &file : nullptr, &error));
        EXPECT_EQ(error, c.text);
        if (c.format != kEncoderJpeg2000) {
            EXPECT_EQ(file.buffer(), nullptr) << c.text;  // nothing reserved for a hopeless call
        }
    }
}

TEST(ImageEncoderTest, MapsTheServiceFormats) {
    EXPECT_EQ(encoderFormatFor(6), kEncoderJpeg);
    EXPECT_EQ(encoderFormatFor(10), kEncoderJpeg2000);
    EXPECT_EQ(encoderFormatFor(14), kEncoderPng);
    for (int other : {0, 1, 2, 3, 4, 7, 130, 138, -6}) {
        EXPECT_EQ(encoderFormatFor(other), 0) << other;
    }
}

}  // namespace
