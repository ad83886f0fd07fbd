#include "capture/CaptureRecord.h"

namespace lensws {

const char* irisPositionName(std::int32_t position) {
    switch (position) {
        case kRightIris:
            return "rightIris";
        case kLeftIris:
            return "leftIris";
        case kBothIrises:
            return "bothIrises";
        default:
            return "unknownIris";
    }
}

}  // namespace lensws
