#pragma once

#include <cstdint>
#include <vector>

#include "simulator/CaptureResult.h"
#include "simulator/ImageKinds.h"
#include "simulator/Jpeg2000Encoder.h"

namespace ocusim {

// Image formats of the camera's image commands.
namespace image_format {
constexpr std::uint8_t kRaw = 2;
constexpr std::uint8_t kJpeg2000 = 10;
constexpr std::uint8_t kVendorRaw = 130;       // the camera's image record around a raw image
constexpr std::uint8_t kVendorJpeg2000 = 138;  // the record around a JPEG 2000 codestream
}  // namespace image_format

// One eye image in the form a command asked for.
struct BuiltImage {
    std::uint8_t kind = 1;
    std::uint8_t format = image_format::kRaw;
    KindImage kindImage;  // the picture before encoding, with its geometry
    std::vector<std::uint8_t> bytes;
    bool lossy = false;
};

// Makes result images: the image kind from the captured frame, then the format (raw, JP2 file,
// or the camera's image record in its long or short form). Returns false when the kind cannot be
// made or compression fails.
class ResultImageBuilder {
public:
    static bool isResultFormat(std::uint8_t format);
    static bool isCompressed(std::uint8_t format) {
        return format == image_format::kJpeg2000 || format == image_format::kVendorJpeg2000;
    }

    static bool build(const EyeCapture& eye, std::uint8_t kind, std::uint8_t format,
                      const Compression& compression, bool longRecords, BuiltImage& out);

    // The camera's image record of an eye with `attached` data inside: raw for formats 2 and 130,
    // JPEG 2000 for 10 and 138.
    static bool buildRecord(const EyeCapture& eye, std::uint8_t kind, std::uint8_t format,
                            const Compression& compression, bool longRecords,
                            const std::vector<std::uint8_t>& attached,
                            std::vector<std::uint8_t>& out);
};

}  // namespace ocusim
