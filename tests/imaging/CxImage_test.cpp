#include "imaging/CxImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "imaging/CxImageOpj.h"
#include "imaging/EncoderFormat.h"
#include "imaging/ImageDecoders.h"
#include "imaging/TestImages.h"
#include "web/MemoryFile.h"

namespace {

using namespace lensws;
using vtl_base_type::MemoryFile;
using vtl_base_type::ServiceMemoryPool;

// A memory file whose writes stop after `budget` bytes: failing, or throwing as an exhausted
// pool does.
class BrokenFile : public MemoryFile {
public:
    BrokenFile(ServiceMemoryPool* pool, std::size_t budget, bool throws)
        : MemoryFile(pool), budget_(budget), throws_(throws) {
        open(1);
    }
    std::size_t write(const void* source, std::size_t itemSize, std::size_t itemCount) override {
        if (itemSize * itemCount > budget_) {
            if (throws_) {
                throw std::bad_alloc();
            }
            return 0;
        }
        budget_ -= itemSize * itemCount;
        return MemoryFile::write(source, itemSize, itemCount);
    }

private:
    std::size_t budget_;
    bool throws_;
};

std::vector<unsigned char> contentOf(MemoryFile& file) {
    return std::vector<unsigned char>(file.buffer(), file.buffer() + file.size());
}

TEST(CxImageTest, AFailedWriteFailsTheEncodeWithItsFormatsText) {
    const std::vector<std::uint8_t> eye = imagingtest::testImage(640, 480);
    const std::set<std::string> jp2Texts = {"Failed to compress image", "Failed to encode image",
                                            "Failed to end compress image"};
    // 20000 bytes: past the first of libjpeg's 16384-byte buffers, short of the whole file.
    for (std::size_t budget : {std::size_t{0}, std::size_t{100}, std::size_t{20000}}) {
        for (bool throws : {false, true}) {
            for (int format = kEncoderBmp; format <= kEncoderJpeg2000; ++format) {
                ServiceMemoryPool pool;
                BrokenFile file(&pool, budget, throws);
                CxImage image;
                ASSERT_TRUE(image.create(eye.data(), 640, 480));
                image.setQuality(90);
                EXPECT_FALSE(image.encode(&file, format));
                const std::string text = image.lastError();
                switch (format) {
                    case kEncoderBmp:
                        EXPECT_EQ(text, throws ? "std::bad_alloc" : "Error saving BMP file");
                        break;
                    case kEncoderJpeg:
                        EXPECT_EQ(text, "Output file write error --- out of disk space?");
                        break;
                    case kEncoderPng:
                        EXPECT_EQ(text, "Error saving PNG file");
                        break;
                    default:
                        EXPECT_EQ(jp2Texts.count(text), 1u) << text;
                }
            }
        }
    }
}

TEST(CxImageTest, WritersTakeThePalette) {
    const std::vector<std::uint8_t> pixels = imagingtest::testImage(5, 4);
    CxImage image;
    ASSERT_TRUE(image.create(pixels.data(), 5, 4));
    image.setQuality(100);
    EXPECT_TRUE(image.isGrayScale());
    std::vector<unsigned char> palette;
    for (int i = 0; i < 256; ++i) {
        const CxImage::Color c{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)};
        image.setPaletteColor(static_cast<std::uint8_t>(i), c);
        palette.insert(palette.end(), {c.red, c.green, c.blue});
    }
    EXPECT_FALSE(image.isGrayScale());
    ServiceMemoryPool pool;

    MemoryFile jpeg(&pool);
    jpeg.open(1);
    EXPECT_FALSE(image.encode(&jpeg, kEncoderJpeg));
    EXPECT_STREQ(image.lastError(), "JPEG can save only RGB or GreyScale images");

    MemoryFile png(&pool);
    png.open(1);
    ASSERT_TRUE(image.encode(&png, kEncoderPng));
    imagingtest::Decoded d;
    ASSERT_TRUE(imagingtest::decodePng(contentOf(png), d));
    EXPECT_EQ(d.palette, palette);

    MemoryFile jp2(&pool);
    jp2.open(1);
    ASSERT_TRUE(image.encode(&jp2, kEncoderJpeg2000));  // lossless at quality 100
    imagingtest::Decoded rgb;
    ASSERT_TRUE(imagingtest::decodeJp2(contentOf(jp2), rgb));
    ASSERT_EQ(rgb.components, 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        ASSERT_EQ(0, std::memcmp(&rgb.pixels[3 * i], &palette[3 * pixels[i]], 3)) << i;
    }
}

TEST(CxImageTest, RefusesWhatItCannotWrite) {
    ServiceMemoryPool pool;
    MemoryFile file(&pool);
    file.open(1);
    CxImage image;
    EXPECT_FALSE(image.encode(&file, kEncoderBmp));
    EXPECT_STREQ(image.lastError(), "null image!!!");

    const std::uint8_t pixel = 9;
    ASSERT_TRUE(image.create(&pixel, 1, 1));
    EXPECT_FALSE(image.encode(nullptr, kEncoderBmp));
    EXPECT_STREQ(image.lastError(), "null file handler");
    EXPECT_FALSE(CxImageOpj::encode(image, file, kEncoderJpeg));
    EXPECT_STREQ(image.lastError(), "Image format is not supported by the encoder");
    EXPECT_EQ(file.size(), 0);

    image.setLastError(std::string(300, 'x').c_str());
    EXPECT_EQ(std::strlen(image.lastError()), CxImage::kMaxErrorLength);
}

TEST(CxImageTest, Jpeg2000RatioIsHundredOverQuality) {
    const struct {
        float quality;
        std::uint32_t width, height;
        bool accepted;
        float rate;
        int resolutions;
    } cases[] = {
        {50, 640, 480, true, 2, 6},   {100, 640, 480, true, 1, 6},
        {250, 640, 480, true, 1, 6},  {0.5f, 640, 480, true, 200, 6},
        {50, 3, 7, true, 2, 2},       {50, 1, 1, true, 2, 1},
        {50, 31, 4000, true, 2, 5},   {1e-45f, 640, 480, true, CxImageOpj::kMaxRatio, 6},
        {0, 640, 480, false, 0, 0},   {-1, 640, 480, false, 0, 0},
        {NAN, 640, 480, false, 0, 0},
    };
    for (const auto& c : cases) {
        opj_cparameters_t p;
        ASSERT_EQ(CxImageOpj::setParameters(p, c.quality, c.width, c.height), c.accepted)
            << c.quality;
        if (c.accepted) {
            EXPECT_EQ(p.tcp_numlayers, 1);
            EXPECT_EQ(p.cp_disto_alloc, 1);
            EXPECT_FLOAT_EQ(p.tcp_rates[0], c.rate) << c.quality;
            EXPECT_EQ(p.numresolution, c.resolutions) << c.width << "x" << c.height;
        }
    }
}

}  // namespace
