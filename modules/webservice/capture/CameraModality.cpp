#include "capture/CameraModality.h"

namespace lensws {

const char* cameraModalityName(CameraModality modality) {
    static const char* const kNames[] = {"unknown", "monocular", "binocular"};
    const auto index = static_cast<std::int32_t>(modality);
    return index >= 0 && index < 3 ? kNames[index] : kNames[0];
}

}  // namespace lensws
