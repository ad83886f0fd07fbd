#pragma once

#include <cstdint>

namespace sdk {

// Image formats as the camera names them.
constexpr std::uint8_t kFormatRaw = 2;  // 8-bit grey, width x height bytes
constexpr std::uint8_t kFormatJpeg2000 = 10;
constexpr std::uint8_t kFormatRawVendor = 130;
constexpr std::uint8_t kFormatJpeg2000Vendor = 138;

// One image handed back by the capture and result operations. For raw images (format 2) the
// bytes are width x height grey values; other formats are encoded images of `size` bytes with
// width and height 0. `data` belongs to the SDK device (or to the caller's buffer for decoded
// image records) and stays valid until the next call on it; null for an absent image.
struct ImageInfo {
    std::uint8_t kind = 0;
    std::uint8_t format = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
};

}  // namespace sdk
