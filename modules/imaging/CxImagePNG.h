#pragma once

#include "imaging/CxImage.h"
#include "web/CxFile.h"

namespace lensws {

// Writes an image as an 8-bit palette PNG (colour type 3) with libpng: the image's 256-entry
// palette, not interlaced, a pHYs chunk of 3780 x 3780 pixels per metre (96 dpi), the library's
// defaults otherwise. Rows go to libpng straight from the image's pixels; libpng's output goes
// to the file through write callbacks.
class CxImagePNG {
public:
    // False with the image's last error set: "Failed to create PNG structure", "Failed to
    // initialize PNG info structure", or "Error saving PNG file" for any error while writing.
    static bool encode(CxImage& image, vtl_base_type::CxFile& file);
};

}  // namespace lensws
