#include "camera/OcuScanner.h"

namespace vantrel_camera {

OcuScanner::~OcuScanner() = default;

}  // namespace vantrel_camera
