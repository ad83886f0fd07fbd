#pragma once

#include <cstdint>
#include <vector>

#include "simulator/GreyImage.h"

namespace ocusim {

// How hard to compress, as the camera's image commands express it.
struct Compression {
    enum Kind : std::uint8_t { Ratio = 1, Quality = 2, ByteSize = 3 };
    std::uint8_t kind = Quality;
    std::uint32_t value = 100;  // Ratio: n for n:1; Quality: 1..100 (100 lossless); ByteSize: bytes
};

enum class Jpeg2000Container {
    Jp2,         // the JP2 file format (boxes around the codestream), "image/jp2"
    Codestream,  // the bare codestream, used inside the vendor's image records
};

// Encodes a grey image with OpenJPEG. Ratios of 1 and quality 100 are lossless (reversible 5/3
// wavelet); anything else uses the irreversible 9/7 wavelet at the requested ratio. A byte-size
// target is a ceiling on the whole output. Returns false when OpenJPEG fails or the image is
// empty.
bool encodeJpeg2000(const GreyImage& image, Jpeg2000Container container,
                    const Compression& compression, std::vector<std::uint8_t>& out);

}  // namespace ocusim
