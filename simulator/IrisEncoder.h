#pragma once

#include "simulator/EyeSegmenter.h"
#include "simulator/GreyImage.h"
#include "simulator/IrisCode.h"

namespace ocusim {

// What the encoder learnt from one eye image besides its code.
struct IrisMeasures {
    float visibleFraction = 0;  // share of the iris band not covered by lids, lashes, reflections
    float focus = 0;            // mean local contrast of the iris texture, grey levels
};

// Unwraps the iris band into a polar grid (Daugman's rubber sheet: each row at a fixed fraction
// of the way from pupil to limbus, so pupil dilation does not move the pattern), filters each row
// around the eye with a complex Gabor wavelet and keeps the signs of the response.
class IrisEncoder {
public:
    IrisCode encode(const GreyImage& frame, const EyeGeometry& geometry,
                    IrisMeasures* measures = nullptr) const;

    // Samples brighter or darker than these are occlusions, not iris.
    static constexpr float kOccludedAbove = 165;
    static constexpr float kOccludedBelow = 42;
};

}  // namespace ocusim
