#pragma once

#include <cstdint>

#include <openjpeg.h>

#include "imaging/CxImage.h"
#include "web/CxFile.h"

namespace lensws {

// Writes an image as a JPEG 2000 file in the JP2 format with OpenJPEG: one 8-bit component for
// a grey image (three, through the palette, otherwise), offset 0,0, subsampling 1 x 1, and the
// library's default encoder parameters except one quality layer whose compression ratio is
// 100 / quality, with distortion-ratio allocation. OpenJPEG's messages are discarded.
class CxImageOpj {
public:
    // Ratios stop here: a tinier quality would overflow 100 / quality to infinity, which
    // OpenJPEG takes as "no limit" and answers with a lossless file. At this ratio the file is
    // down to little more than its headers already.
    static constexpr float kMaxRatio = 10000;

    // `format` is an encoder format code; only kEncoderJpeg2000 is written. False with the
    // image's last error set: "Image format is not supported by the encoder", "JPEG 2000 quality
    // must be greater than zero", "Failed to convert gray scale buffer to opj_image_t", "Cannot
    // create output stream", "Failed to compress image", "Failed to encode image" or "Failed to
    // end compress image" (a failed write surfaces as one of the last two).
    static bool encode(CxImage& image, vtl_base_type::CxFile& file, int format);

    // The encoder parameters for an image: false for a quality of 0 (or NaN), whose ratio
    // 100 / quality has no meaning. Quality 100 gives ratio 1, every byte the coder produces;
    // above 100 counts as 100.
    // The number of resolutions is lowered below the default where the image is too small for
    // it (each level halves the smaller side), since OpenJPEG refuses such an image outright.
    static bool setParameters(opj_cparameters_t& parameters, float quality, std::uint32_t width,
                              std::uint32_t height);
};

}  // namespace lensws
