#pragma once

// The camera's own image record, the form of the vendor image formats 130 (raw) and 138 (JPEG
// 2000 codestream) and of the images that command 0x200D returns with the caller's data
// attached. Little-endian. Two forms:
//
//   long form (firmware 0x2001C and later):
//     u8 0xFF, u32 version (2), u8 eye position (0 unknown, 1 right, 2 left), u16 quality,
//     u32 n, n bytes of attached data, u16 image kind, u16 image format (2 raw, 10 JPEG 2000),
//     u32 width and u32 height for raw images, else u32 byte size and u32 0,
//     32 bytes of segmentation (u16 iris centre x, u16 y, u16 iris radius, u16 pupil radius,
//     u8 usable-area score, then zeros), the image bytes;
//   short form (older firmware):
//     u8 eye position, u16 quality, u32 n, n bytes of attached data, u32 byte size, u32 0, the
//     image bytes (a reader treats the image as encoded even when it is raw).

#include <cstdint>
#include <vector>

#include "simulator/EyeSegmenter.h"

namespace ocusim {

constexpr std::uint32_t kImageRecordVersion = 2;
constexpr std::size_t kImageRecordGap = 32;

struct ImageRecordInput {
    std::uint8_t eyePosition = 0;
    std::uint16_t quality = 0;
    std::vector<std::uint8_t> attached;
    std::uint16_t kind = 1;
    std::uint16_t format = 2;  // 2 raw, 10 JPEG 2000
    int width = 0;             // raw images only
    int height = 0;
    std::vector<std::uint8_t> bytes;
    EyeGeometry geometry;  // in the image's coordinates
    std::uint8_t usableArea = 0;
};

std::vector<std::uint8_t> writeImageRecord(const ImageRecordInput& input, bool longForm);

}  // namespace ocusim
