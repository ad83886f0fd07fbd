#pragma once

#include <cstdint>
#include <memory>

#include "camera/OcuScanner.h"

namespace vantrel_camera {

// A new camera object of the given kind: a Camx2000Impl for kind 1, none for any other. May
// throw what the camera's constructor throws.
std::unique_ptr<OcuScanner> createCamera(std::uint32_t kind);

}  // namespace vantrel_camera
