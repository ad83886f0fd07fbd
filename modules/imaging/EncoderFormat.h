#pragma once

namespace lensws {

// The encoder's format codes, the `format` argument of encodeGreyImage.
constexpr int kEncoderBmp = 1;
constexpr int kEncoderJpeg = 2;
constexpr int kEncoderPng = 3;
constexpr int kEncoderJpeg2000 = 4;  // the JP2 file format

constexpr bool isEncoderFormat(int format) {
    return format >= kEncoderBmp && format <= kEncoderJpeg2000;
}

// The encoder format for one of the service's image-format codes: 6 (JPEG) -> 2, 10 (JPEG 2000)
// -> 4, 14 (PNG) -> 3; every other code -> 0, which no encoder accepts.
int encoderFormatFor(int serviceFormat);

}  // namespace lensws
