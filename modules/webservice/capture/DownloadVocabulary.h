#pragma once

#include <cstddef>
#include <cstdint>

namespace lensws {

// The image formats a client can ask for, by their "imageFormat" names, with the camera's image
// format codes at the same index: raw grey, JPEG (made by the service), JPEG 2000, PNG (made by
// the service) and the camera's two vendor formats.
constexpr std::size_t kImageFormatCount = 6;
extern const char* const kImageFormatNames[kImageFormatCount];
extern const std::uint8_t kImageFormatCodes[kImageFormatCount];

// The ISO/IEC 19794-6 revisions an iris image record can follow, by their names; revision code
// i + 1 at index i.
constexpr std::size_t kBiometricFormatCount = 2;
extern const char* const kBiometricFormatNames[kBiometricFormatCount];

}  // namespace lensws
