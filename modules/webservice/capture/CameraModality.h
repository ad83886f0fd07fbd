#pragma once

#include <cstdint>

namespace lensws {

// How many eyes the camera images, as the initialize answer reports it.
enum class CameraModality : std::int32_t {
    Unknown = 0,
    Monocular = 1,
    Binocular = 2,
};

// "unknown", "monocular" or "binocular"; any other value reads "unknown".
const char* cameraModalityName(CameraModality modality);

}  // namespace lensws
