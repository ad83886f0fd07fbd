#pragma once

#include "imaging/CxImage.h"
#include "web/CxFile.h"

namespace lensws {

// Writes a grey image as a baseline JFIF file with libjpeg: one component in the grey colour
// space, the library's defaults, the image's quality truncated to an integer (libjpeg takes
// anything below 1 as 1), 96 x 96 dots per inch. The rows go to libjpeg straight from the
// image's pixels, and the compressed bytes go to the file through libjpeg's own output buffer.
class CxImageJPG {
public:
    // False with the image's last error set: "JPEG can save only RGB or GreyScale images" for
    // a palette other than the grey ramp, otherwise libjpeg's own message (a failed write is
    // libjpeg's "Output file write error --- out of disk space?").
    static bool encode(CxImage& image, vtl_base_type::CxFile& file);
};

}  // namespace lensws
