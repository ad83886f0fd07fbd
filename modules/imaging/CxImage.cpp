#include "imaging/CxImage.h"

#include <cmath>
#include <cstring>
#include <exception>

#include "imaging/CxImageBMP.h"
#include "imaging/CxImageJPG.h"
#include "imaging/CxImageOpj.h"
#include "imaging/CxImagePNG.h"
#include "imaging/EncoderFormat.h"

namespace lensws {

CxImage::CxImage() {
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        palette_[i] = Color{level, level, level};
    }
}

bool CxImage::create(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height) {
    pixels_ = nullptr;
    width_ = 0;
    height_ = 0;
    if (width == 0 || height == 0) {
        setLastError("CxImage::Create : width and height must be greater than zero");
        return false;
    }
    if (std::uint64_t{width} * height > kMaxMemory) {
        setLastError("CXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    if (pixels == nullptr) {
        setLastError("null image!!!");
        return false;
    }
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    return true;
}

bool CxImage::encode(vtl_base_type::CxFile* file, int format) {
    if (file == nullptr) {
        setLastError("null file handler");
        return false;
    }
    if (!isValid()) {
        setLastError("null image!!!");
        return false;
    }
    // The library writers turn an exception of the file into a failed write themselves; this
    // catches the BMP writer's, which has no library between it and the file.
    try {
        switch (format) {
            case kEncoderBmp:
                return CxImageBMP::encode(*this, *file);
            case kEncoderJpeg:
                return CxImageJPG::encode(*this, *file);
            case kEncoderPng:
                return CxImagePNG::encode(*this, *file);
            case kEncoderJpeg2000:
                return CxImageOpj::encode(*this, *file, kEncoderJpeg2000);
            default:
                setLastError("Encode: Unknown format");
                return false;
        }
    } catch (const std::exception& e) {
        setLastError(e.what());
        return false;
    }
}

bool CxImage::isGrayScale() const {
    for (int i = 0; i < 256; ++i) {
        const Color& c = palette_[i];
        if (c.red != i || c.green != i || c.blue != i) {
            return false;
        }
    }
    return true;
}

float CxImage::clampQuality(float quality) {
    if (std::isnan(quality) || quality < 0) {
        return 0;
    }
    return quality > 100 ? 100 : quality;
}

void CxImage::setLastError(const char* text) {
    std::strncpy(lastError_, text, kMaxErrorLength);
    lastError_[kMaxErrorLength] = '\0';
}

}  // namespace lensws
