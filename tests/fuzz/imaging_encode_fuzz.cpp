// Fuzzes the image encoder over sizes (0 to 256 a side), format codes (0 to 5), qualities (any
// float, NaN and infinities included) and pixels: every call must return without a sanitizer
// report, succeed exactly when its arguments are valid, and a BMP or PNG written must hold the
// very pixels.
//
// Input: u16 width, u16 height, format byte, quality mode byte, 4 quality bytes (mode even: the
// first as a signed integer; odd: the four as a float's bits), then pixels, repeated to fill
// the frame.

#include <png.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/CxImage.h"
#include "imaging/ImageEncoder.h"
#include "web/MemoryFile.h"

namespace {

constexpr std::size_t kHeader = 10;

bool holdsPixels(int format, const unsigned char* file, std::size_t size,
                 const std::vector<std::uint8_t>& pixels, std::uint32_t width,
                 std::uint32_t height) {
    if (format == lensws::kEncoderBmp) {
        const std::size_t stride = (width + 3) / 4 * 4;
        if (size != 1078 + stride * height) {
            return false;
        }
        for (std::uint32_t y = 0; y < height; ++y) {
            if (std::memcmp(file + 1078 + (height - 1 - y) * stride, &pixels[y * width], width)) {
                return false;
            }
        }
        return true;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    std::vector<std::uint8_t> decoded(pixels.size());
    if (!png_image_begin_read_from_memory(&image, file, size)) {
        return false;
    }
    image.format = PNG_FORMAT_GRAY;
    const bool read = image.width == width && image.height == height &&
                      png_image_finish_read(&image, nullptr, decoded.data(), 0, nullptr);
    png_image_free(&image);
    return read && decoded == pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader) {
        return 0;
    }
    const std::uint32_t width = (data[0] | data[1] << 8) % 257;
    const std::uint32_t height = (data[2] | data[3] << 8) % 257;
    const int format = data[4] % 6;
    float quality = static_cast<std::int8_t>(data[6]);
    if (data[5] % 2 == 1) {
        std::memcpy(&quality, data + 6, sizeof quality);
    }
    std::vector<std::uint8_t> pixels(std::size_t{width} * height);
    for (std::size_t i = 0; i < pixels.size() && size > kHeader; ++i) {
        pixels[i] = data[kHeader + i % (size - kHeader)];
    }

    static vtl_base_type::ServiceMemoryPool pool;
    vtl_base_type::MemoryFile file(&pool);
    const bool encoded =
        lensws::encodeGreyImage(pixels.data(), width, height, format, quality, &file);
    const bool valid =
        width > 0 && height > 0 && lensws::isEncoderFormat(format) &&
        (format != lensws::kEncoderJpeg2000 || lensws::CxImage::clampQuality(quality) > 0);
    if (encoded != valid) {
        std::abort();
    }
    if (encoded && (format == lensws::kEncoderBmp || format == lensws::kEncoderPng) &&
        !holdsPixels(format, file.buffer(), static_cast<std::size_t>(file.size()), pixels, width,
                     height)) {
        std::abort();
    }
    return 0;
}
