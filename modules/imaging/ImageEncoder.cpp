#include "imaging/ImageEncoder.h"

#include <exception>

#include "imaging/CxImage.h"

namespace lensws {

namespace {

bool encodeInto(CxImage& image, const std::uint8_t* pixels, std::uint32_t width,
                std::uint32_t height, int format, float quality,
                vtl_base_type::MemoryFile* output) {
    if (!image.create(pixels, width, height)) {
        return false;
    }
    image.setQuality(quality);
    if (output == nullptr) {
        image.setLastError("null file handler");
        return false;
    }
    if (output->buffer() == nullptr && isEncoderFormat(format)) {
        // A reservation of 0 (a tiny JPEG) would leave the file without a buffer, and a memory
        // file without one refuses every write.
        const std::size_t reservation = encoderReservation(format, width, height, image.quality());
        try {
            output->open(reservation > 0 ? reservation : 1);
        } catch (const std::exception& e) {
            image.setLastError(e.what());
            return false;
        }
    }
    return image.encode(output, format);
}

}  // namespace

bool encodeGreyImage(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                     int format, float quality, vtl_base_type::MemoryFile* output,
                     std::string* lastError) {
    CxImage image;
    const bool encoded = encodeInto(image, pixels, width, height, format, quality, output);
    if (!encoded && lastError != nullptr) {
        *lastError = image.lastError();
    }
    return encoded;
}

std::size_t encoderReservation(int format, std::uint32_t width, std::uint32_t height,
                               float quality) {
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > CxImage::kMaxMemory) {
        return 0;
    }
    const auto percent = static_cast<std::uint64_t>(CxImage::clampQuality(quality));
    switch (format) {
        case kEncoderBmp:
            return pixels;
        case kEncoderPng:
            return pixels / 2;
        case kEncoderJpeg:
        case kEncoderJpeg2000:
            return pixels / 2 * percent / 100;
        default:
            return 0;
    }
}

}  // namespace lensws
