#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "web/CxFile.h"

namespace lensws {

// An 8-bit palette image as the format writers see it: width x height bytes, each the palette
// index of one pixel, rows top to bottom without padding. The image views the caller's pixels
// instead of copying them (a frame is encoded once, straight from the camera's buffer), so they
// must stay valid and unchanged while the image is encoded. The palette starts as the grey ramp
// (index = grey level).
//
// A failed operation leaves a last-error text of at most 255 characters. One thread at a time.
class CxImage {
public:
    // Images whose pixel bytes exceed this are refused before anything is allocated for them.
    static constexpr std::uint64_t kMaxMemory = std::uint64_t{256} << 20;
    static constexpr std::size_t kMaxErrorLength = 255;

    struct Color {
        std::uint8_t red;
        std::uint8_t green;
        std::uint8_t blue;
    };

    CxImage();

    // Takes `pixels` (not owned) as the image's content. False, with the last error set, for a
    // zero width or height, an image above kMaxMemory, or null pixels; the image then has none.
    bool create(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height);

    // Writes the image to `file` in an encoder format (EncoderFormat.h). False, with the last
    // error set, for a null file, an image without pixels, an unknown format or a failed write
    // (an exception of the file counts as one, with its what() as the text); bytes already
    // written then stay in the file.
    bool encode(vtl_base_type::CxFile* file, int format);

    bool isValid() const { return pixels_ != nullptr; }
    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    // Row `y` (0 is the top), width() bytes.
    const std::uint8_t* row(std::uint32_t y) const {
        return pixels_ + static_cast<std::size_t>(y) * width_;
    }

    const Color& paletteColor(std::uint8_t index) const { return palette_[index]; }
    void setPaletteColor(std::uint8_t index, Color color) { palette_[index] = color; }
    // True when every entry i is the grey (i, i, i).
    bool isGrayScale() const;

    // Kept within 0..100; NaN becomes 0. JPEG truncates it to an integer, JPEG 2000 derives its
    // compression ratio from it; BMP and PNG ignore it.
    void setQuality(float quality) { quality_ = clampQuality(quality); }
    static float clampQuality(float quality);
    float quality() const { return quality_; }

    const char* lastError() const { return lastError_; }
    // Copies at most kMaxErrorLength characters of `text`.
    void setLastError(const char* text);

private:
    const std::uint8_t* pixels_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    float quality_ = 75;  // libjpeg's own default
    std::array<Color, 256> palette_;
    char lastError_[kMaxErrorLength + 1] = "";
};

}  // namespace lensws
