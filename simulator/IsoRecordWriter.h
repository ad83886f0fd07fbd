#pragma once

// Iris image records of ISO/IEC 19794-6, revision 1 (the 2005 edition) and revision 2 (2011).
// All fields are big-endian, as the standard requires.
//
// 2005: a 45-byte general header ("IIR\0", "010\0", record length, capture device id, number of
//   eye subtypes, header length 45, image property bits, iris diameter, image format, width,
//   height, intensity depth, image transformation, 16-byte device unique identifier), then per
//   eye a 3-byte subtype header (eye, number of images) and per image an 11-byte image header
//   (sequence number, quality, rotation angle, rotation uncertainty, image length) and the image.
//   Image formats: 0x0002 mono raw, 0x000E mono JPEG 2000.
// 2011: a 16-byte general header ("IIR\0", "020\0", record length, number of representations,
//   certification flag, number of eyes), then per representation a 57-byte header (length,
//   capture date and time, device technology, vendor and type, one quality block, representation
//   number, eye label, image type, image format, image property bits, width, height, bit depth,
//   range, roll angle and its uncertainty, iris centre and diameter bounds, image length) and the
//   image. Image formats: 2 raw, 10 JPEG 2000.

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/EyeSegmenter.h"

namespace ocusim {

constexpr std::size_t kIso2005HeaderSize = 45;

// One eye image to put into a record.
struct IsoImage {
    std::uint8_t eyeLabel = 0;  // 0 unknown, 1 right, 2 left
    std::uint8_t kind = 1;      // ISO/IEC 19794-6:2011 image type
    std::uint8_t format = 2;    // 2 raw, 10 JPEG 2000 (the 2011 codes)
    bool lossy = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;
    EyeGeometry geometry;  // in the image's coordinates
    std::uint8_t quality = 0;
    bool occluded = false;  // lids, lashes or reflections cover part of the iris
};

// Where and when the images were taken.
struct IsoCapture {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serialNumber;
    std::uint8_t dateTime[9] = {};  // year (2), month, day, hour, minute, second, millisecond (2)
};

// Fills `dateTime` from the wall clock (UTC), in the record's big-endian layout.
void isoDateTimeNow(std::uint8_t (&dateTime)[9]);

std::vector<std::uint8_t> writeIso2005(const std::vector<IsoImage>& images,
                                       const IsoCapture& capture);
std::vector<std::uint8_t> writeIso2011(const std::vector<IsoImage>& images,
                                       const IsoCapture& capture);

}  // namespace ocusim
