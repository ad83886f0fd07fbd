#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lensws {

// The names a client uses for what it downloads, with the camera's codes.

// Image formats ("imageFormat"), with the camera's image format codes at the same index: raw
// grey, JPEG (made by the service), JPEG 2000, PNG (made by the service) and the camera's two
// vendor formats.
constexpr std::size_t kImageFormatCount = 6;
extern const char* const kImageFormatNames[kImageFormatCount];
extern const std::uint8_t kImageFormatCodes[kImageFormatCount];
constexpr std::uint8_t kImageFormatJpeg = 6;
constexpr std::uint8_t kImageFormatPng = 14;

// ISO/IEC 19794-6 revisions of an iris image record ("isoRevision"): code i + 1 at index i.
constexpr std::size_t kBiometricFormatCount = 2;
extern const char* const kBiometricFormatNames[kBiometricFormatCount];
constexpr std::int32_t kIsoRevision2005 = 1;
constexpr std::int32_t kIsoRevision2011 = 2;
constexpr std::int32_t kNoIsoRecord = 3;  // "none"

// The code of an exactly matching name (case-sensitive), or 0 when the name is not in the
// vocabulary.
std::int32_t imageFormatCode(std::string_view name);
// "KIND 1", "KIND 2", "KIND 3", "KIND 7", and kind 7 within a byte budget of 1.5, 2.5, 3.5 and
// 5.0 KB: "KIND 7_1_5" 4103, "KIND 7_2_5" 4104, "KIND 7_3_5" 4105, "KIND 7_5_0" 4106.
std::int32_t imageKindCode(std::string_view name);
// The two revisions above, and "none" (kNoIsoRecord).
std::int32_t isoRevisionCode(std::string_view name);

// The name of a known image format code, or "image/raw".
const char* imageFormatName(std::int32_t code);

}  // namespace lensws
