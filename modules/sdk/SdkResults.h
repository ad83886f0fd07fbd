#pragma once

// What a completed capture delivers: result images, quality scores, ISO/IEC 19794-6 records,
// and the decoding of image records. Images and records handed out point into the device's
// data areas and stay valid until the next call of the same function on the device.
// 0x3007 and 0x3008 (one eye unqualified) still hand out what the camera sent.

#include <cstdint>

#include "sdk/DataBlock.h"
#include "sdk/ImageInfo.h"
#include "sdk/ResultCommands.h"
#include "sdk/SdkHandle.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// Command 0x200C with compression kind 2: one image per eye (right eye first on a binocular
// camera, whose unqualified eye's position is empty).
CamxStatus sdkGetResultImage(SdkHandle handle, std::uint8_t kind, std::uint8_t format,
                             std::uint8_t compressionValue, const ImageInfo** images,
                             std::uint32_t* count);
// Command 0x200D: as sdkGetResultImage, sending a data block of 1 to 64 bytes.
CamxStatus sdkGetResultImageWithData(SdkHandle handle, std::uint8_t kind, std::uint8_t format,
                                     std::uint8_t compressionValue, const DataBlock* data,
                                     const ImageInfo** images, std::uint32_t* count);
// Command 0x2011: a pair of scores per eye.
CamxStatus sdkGetResultQuality(SdkHandle handle, const QualityPair** pairs, std::uint32_t* count);
// Command 0x2014: an ISO/IEC 19794-6 record (revision 1 = 2005, 2 = 2011) of image kind 1, 2,
// 3 or 7 (or 0x1007-0x100A: kind 7 in JPEG 2000 at fixed compression ratios), format 2 or 10,
// for eye position 0-2 (3 on binocular cameras).
CamxStatus sdkGetResultIsoImage(SdkHandle handle, std::uint8_t revision, std::uint8_t format,
                                std::uint16_t kind, std::uint8_t compressionValue,
                                std::uint8_t eyePosition, DataBlock* record);
// Parses an image record held in memory, no device involved. With a null `buffer` only the
// sizes are reported; otherwise the image is copied into `buffer` (17 when `capacity` is too
// small).
CamxStatus sdkDecodeImageRecord(const DataBlock* record, std::uint8_t* buffer,
                                std::uint32_t capacity, ImageInfo* info);

}  // namespace sdk
