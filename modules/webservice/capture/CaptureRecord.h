#pragma once

#include <cstdint>

#include "platform/Uuid.h"

namespace lensws {

// Which eye an image shows: 0 unknown (a monocular camera), 1 right, 2 left, 3 both.
enum IrisPosition : std::int32_t {
    kUnknownIris = 0,
    kRightIris = 1,
    kLeftIris = 2,
    kBothIrises = 3,
};

// "unknownIris", "rightIris", "leftIris" or "bothIrises"; any other value reads
// "unknownIris". These names are also the "submodality" a client sees.
const char* irisPositionName(std::int32_t position);

// The eye of image `index` among `count` images a camera hands back: the only image of a
// monocular camera is of an unknown eye; a binocular camera hands back the right eye first.
inline std::int32_t irisPositionOf(std::uint32_t index, std::uint32_t count) {
    return static_cast<std::int32_t>(count > 1 ? index + 1 : index);
}

// One image of the last capture, named by the identifier the client downloads it with.
struct CaptureRecord {
    char captureId[platform::kUuidTextLength + 1] = {};
    std::int32_t irisPosition = kUnknownIris;
};

}  // namespace lensws
