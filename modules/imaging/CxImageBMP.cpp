#include "imaging/CxImageBMP.h"

#include <cstdint>

namespace lensws {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kColorTableSize = 256 * 4;
constexpr std::uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kColorTableSize;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dpi, the image's default resolution

void put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
    put16(at, value);
    put16(at + 2, value >> 16);
}

}  // namespace

bool CxImageBMP::encode(CxImage& image, vtl_base_type::CxFile& file) {
    // The image's memory limit keeps every size below within 32 bits.
    const std::uint32_t width = image.width();
    const std::uint32_t height = image.height();
    const std::uint32_t stride = (width + 3) / 4 * 4;
    const std::uint32_t pixelBytes = stride * height;

    std::uint8_t header[kPixelOffset] = {};
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, kPixelOffset + pixelBytes);
    put32(header + 10, kPixelOffset);
    std::uint8_t* info = header + kFileHeaderSize;
    put32(info, kInfoHeaderSize);
    put32(info + 4, width);
    put32(info + 8, height);  // positive: the rows are stored bottom-up
    put16(info + 12, 1);      // planes
    put16(info + 14, 8);      // bits per pixel
    put32(info + 20, pixelBytes);
    put32(info + 24, kPixelsPerMetre);
    put32(info + 28, kPixelsPerMetre);
    put32(info + 32, 256);  // colours used
    std::uint8_t* table = info + kInfoHeaderSize;
    for (int i = 0; i < 256; ++i) {
        const CxImage::Color& c = image.paletteColor(static_cast<std::uint8_t>(i));
        table[4 * i] = c.blue;
        table[4 * i + 1] = c.green;
        table[4 * i + 2] = c.red;
    }

    bool written = file.write(header, sizeof header, 1) == 1;
    const std::uint8_t padding[3] = {};
    for (std::uint32_t y = height; written && y-- > 0;) {
        written = file.write(image.row(y), width, 1) == 1 &&
                  (stride == width || file.write(padding, stride - width, 1) == 1);
    }
    if (!written) {
        image.setLastError("Error saving BMP file");
    }
    return written;
}

}  // namespace lensws
