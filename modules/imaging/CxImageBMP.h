#pragma once

#include "imaging/CxImage.h"
#include "web/CxFile.h"

namespace lensws {

// Writes an image as an uncompressed 8-bit Windows BMP: the 14-byte file header, a 40-byte
// BITMAPINFOHEADER (96 dpi), the 256-entry colour table from the image's palette, then the rows
// bottom-up, each padded to a multiple of 4 bytes.
class CxImageBMP {
public:
    // False, with the image's last error "Error saving BMP file", when a write fails.
    static bool encode(CxImage& image, vtl_base_type::CxFile& file);
};

}  // namespace lensws
