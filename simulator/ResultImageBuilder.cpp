#include "simulator/ResultImageBuilder.h"

#include "simulator/ImageRecordWriter.h"

namespace ocusim {

namespace {

bool encodePicture(const KindImage& picture, bool compressed, Jpeg2000Container container,
                   const Compression& compression, std::vector<std::uint8_t>& bytes, bool& lossy) {
    if (!compressed) {
        bytes = picture.image.pixels;
        lossy = false;
        return true;
    }
    lossy = !(compression.kind == Compression::Quality && compression.value >= 100) &&
            !(compression.kind == Compression::Ratio && compression.value <= 1);
    return encodeJpeg2000(picture.image, container, compression, bytes);
}

ImageRecordInput recordInput(const EyeCapture& eye, const KindImage& picture, std::uint8_t kind,
                             bool compressed) {
    ImageRecordInput input;
    input.eyePosition = eye.eyeLabel;
    input.quality = eye.quality.total;
    input.kind = kind;
    input.format = compressed ? image_format::kJpeg2000 : image_format::kRaw;
    input.width = picture.image.width;
    input.height = picture.image.height;
    input.geometry = picture.geometry;
    input.usableArea = eye.quality.usableArea;
    return input;
}

}  // namespace

bool ResultImageBuilder::isResultFormat(std::uint8_t format) {
    return format == image_format::kRaw || format == image_format::kJpeg2000 ||
           format == image_format::kVendorRaw || format == image_format::kVendorJpeg2000;
}

bool ResultImageBuilder::build(const EyeCapture& eye, std::uint8_t kind, std::uint8_t format,
                               const Compression& compression, bool longRecords, BuiltImage& out) {
    if (!eye.qualified || !isResultFormat(format) ||
        !makeKindImage(eye.image, eye.geometry, kind, out.kindImage)) {
        return false;
    }
    out.kind = kind;
    out.format = format;
    const bool compressed = isCompressed(format);
    if (format == image_format::kRaw || format == image_format::kJpeg2000) {
        return encodePicture(out.kindImage, compressed, Jpeg2000Container::Jp2, compression,
                             out.bytes, out.lossy);
    }
    ImageRecordInput input = recordInput(eye, out.kindImage, kind, compressed);
    if (!encodePicture(out.kindImage, compressed, Jpeg2000Container::Codestream, compression,
                       input.bytes, out.lossy)) {
        return false;
    }
    out.bytes = writeImageRecord(input, longRecords);
    return true;
}

bool ResultImageBuilder::buildRecord(const EyeCapture& eye, std::uint8_t kind, std::uint8_t format,
                                     const Compression& compression, bool longRecords,
                                     const std::vector<std::uint8_t>& attached,
                                     std::vector<std::uint8_t>& out) {
    KindImage picture;
    if (!eye.qualified || !isResultFormat(format) ||
        !makeKindImage(eye.image, eye.geometry, kind, picture)) {
        return false;
    }
    const bool compressed = isCompressed(format);
    ImageRecordInput input = recordInput(eye, picture, kind, compressed);
    input.attached = attached;
    bool lossy = false;
    const Jpeg2000Container container =
        format == image_format::kJpeg2000 ? Jpeg2000Container::Jp2 : Jpeg2000Container::Codestream;
    if (!encodePicture(picture, compressed, container, compression, input.bytes, lossy)) {
        return false;
    }
    out = writeImageRecord(input, longRecords);
    return true;
}

}  // namespace ocusim
