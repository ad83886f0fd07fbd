#include "camera/CreateCamera.h"

#include "camera/Camx2000Impl.h"

namespace vantrel_camera {

std::unique_ptr<OcuScanner> createCamera(std::uint32_t kind) {
    if (kind != Camx2000Impl::kCameraKind) {
        return nullptr;
    }
    return std::make_unique<Camx2000Impl>();
}

}  // namespace vantrel_camera
