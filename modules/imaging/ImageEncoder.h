#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/EncoderFormat.h"
#include "web/MemoryFile.h"

namespace lensws {

// Encodes an 8-bit grey frame (`width` x `height` bytes, rows top to bottom, no padding) as a
// BMP, JPEG, PNG or JPEG 2000 (JP2) file, by encoder format code (EncoderFormat.h), into
// `output` at its current position. `quality` (0 to 100) matters for JPEG (truncated to an
// integer; below 1 counts as 1) and JPEG 2000 (compression ratio 100 / quality, at most
// 10000:1; 0 is refused); values above 100 count as 100, negative ones and NaN as 0.
//
// An output without a buffer is first opened with encoderReservation bytes (at least 1), so a
// typical frame is encoded without regrowth; an output that already has one just grows as
// needed. The pixels are read in place. On success the file's bytes follow what the output held
// before; on failure the output may hold a partial file, which the caller discards.
//
// Returns false for: zero width or height, more than CxImage::kMaxMemory pixel bytes, null
// pixels, null output, an unknown format, an encoder error, or an exhausted pool (no exception
// leaves this function). When `lastError` is given, a failure's text is stored there (for logs
// and tests; clients never see it). Thread-safe: calls share nothing but the output's pool.
bool encodeGreyImage(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                     int format, float quality, vtl_base_type::MemoryFile* output,
                     std::string* lastError = nullptr);

// The room encodeGreyImage reserves: width x height bytes for BMP, width x height / 2 for PNG,
// width x height / 2 x quality / 100 for JPEG and JPEG 2000 (integer arithmetic, the quality
// kept within 0..100 and truncated), 0 for other formats and for images above the memory limit.
std::size_t encoderReservation(int format, std::uint32_t width, std::uint32_t height,
                               float quality);

}  // namespace lensws
