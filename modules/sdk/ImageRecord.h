#pragma once

// Image records as the camera hands them out (decoded without device traffic).
//
// Short form:  u8 kind (0..2), u16 value, u32 n, n bytes attached data, u32 size, u32 unused,
//              then `size` image bytes (always an encoded image).
// Long form:   u8 0xFF, u32 version (0..2), u8 kind (0..2), u16 value, u32 n, n bytes attached
//              data, u16 kind code, u16 format, u32 a, u32 b, 32 bytes gap, then the image:
//              raw (format 2) a x b grey bytes with width a and height b; otherwise a bytes.

#include <cstddef>
#include <cstdint>

#include "sdk/DataBlock.h"
#include "sdk/ImageInfo.h"
#include "sdk/SdkStatus.h"

namespace sdk {

constexpr std::uint8_t kImageRecordLongForm = 0xFF;
constexpr std::uint32_t kImageRecordMaxVersion = 2;
constexpr std::size_t kImageRecordLongGap = 32;

// Parses `record`. The image kind and format handed out are the low bytes of the long form's
// kind code and format (0 and 0 for the short form); width and height are 0 for encoded
// images. With `out` null only the sizes are reported (data stays null); otherwise the image
// bytes are copied into `out`, which must hold `info->size` bytes (17 when it is smaller).
// 15 for a null record, 0x6001 for a version above 2, 21 for a kind of 3 or more or a record
// shorter than its header or its image.
CamxStatus decodeImageRecord(const DataBlock& record, std::uint8_t* out, std::size_t outCapacity,
                             ImageInfo* info);

}  // namespace sdk
