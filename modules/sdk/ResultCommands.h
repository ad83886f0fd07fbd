#pragma once

// What a completed capture delivers: result images (0x200C, 0x200D), quality scores (0x2011)
// and ISO/IEC 19794-6 records (0x2014, 0x2015).
//
// Result-image data holds one entry per eye: u8 kind, u8 format, then for raw images (format 2)
// u32 width and u32 height followed by width x height bytes, for other formats u32 byte size and
// 4 unused bytes followed by the image bytes. A binocular camera sends a second entry, except
// with status 0x3008; with status 0x3007 its one entry is the second eye's. With a data block
// (0x200D) each eye's entry is two length-prefixed blocks (u32 length, bytes, twice).

#include <cstddef>
#include <cstdint>

#include "sdk/DataBlock.h"
#include "sdk/DataBuffer.h"
#include "sdk/DeviceLink.h"
#include "sdk/ImageInfo.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// ISO/IEC 19794-6 revisions: 1 is the 2005 edition, 2 the 2011 edition.
constexpr std::uint8_t kIsoRevision2005 = 1;
constexpr std::uint8_t kIsoRevision2011 = 2;

struct ResultImageRequest {
    std::uint8_t kind = 1;             // 1, 2, 3 or 7
    std::uint8_t format = kFormatRaw;  // 2, 10, 130 or 138
    std::uint8_t compressionKind = 2;
    std::uint32_t compressionValue = 0;  // firmware before 0x2001C sends the low byte
};

// 15 when the compression does not suit the format and firmware.
CamxStatus checkResultImageRequest(const DeviceLink& link, const ResultImageRequest& request);

// 0x200C into `buffer`. `images` gets 1 entry on a monocular camera and 2 on a binocular one
// (right eye first; an unqualified eye's position is empty). 0x3007 and 0x3008 still deliver.
CamxStatus readResultImages(DeviceLink& link, DataBuffer& buffer, const ResultImageRequest& request,
                            ImageInfo images[2], std::uint32_t* count);

// 0x200D with a data block of 1 to 64 bytes. Each eye's two blocks are handed out together as
// the image bytes (kind and format as requested, width and height 0).
CamxStatus readResultImagesWithData(DeviceLink& link, DataBuffer& buffer,
                                    const ResultImageRequest& request, const DataBlock& data,
                                    ImageInfo images[2], std::uint32_t* count);

// Parses result-image data for a reply of `status`; 10 when an entry does not fit.
CamxStatus decodeResultImages(const std::uint8_t* data, std::size_t size, CamxStatus status,
                              bool binocular, bool withData, const ResultImageRequest& request,
                              ImageInfo images[2], std::uint32_t* count);

struct QualityPair {
    std::uint8_t first = 0;
    std::uint8_t second = 0;
};

// 0x2011: one pair of scores per eye (right eye first); 1 pair on a monocular camera, 2 on a
// binocular one.
CamxStatus readResultQuality(DeviceLink& link, QualityPair pairs[2], std::uint32_t* count);

struct IsoImageRequest {
    std::uint8_t revision = kIsoRevision2011;  // 1 (2005) or 2 (2011)
    // 1, 2, 3 or 7; 0x1007 to 0x100A stand for kind 7 in JPEG 2000 with compression kind 3 and
    // the values 1536, 2560, 3584 and 5120.
    std::uint16_t kind = 1;
    std::uint8_t format = kFormatRaw;  // 2 or 10
    std::uint8_t compressionKind = 2;  // 1..3
    std::uint32_t compressionValue = 0;
    std::uint8_t eyePosition = 0;  // 0..2, also 3 on binocular cameras
};

// An ISO record into `buffer`, handed out as `record` (null when empty). With `sendData`,
// command 0x2015 carries the length of `data` (0 when null) and sends the block; with
// revision 2 a 9-byte block also fills the nine extra parameter bytes. 15 for a request the
// camera cannot serve.
CamxStatus readIsoImage(DeviceLink& link, DataBuffer& buffer, const IsoImageRequest& request,
                        const DataBlock* data, bool sendData, DataBlock* record);

}  // namespace sdk
