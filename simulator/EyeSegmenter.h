#pragma once

#include "simulator/GreyImage.h"

namespace ocusim {

// Where the eye is in a frame: pupil centre and the two boundaries of the iris, as circles.
struct EyeGeometry {
    bool found = false;
    float centreX = 0;
    float centreY = 0;
    float pupilRadius = 0;
    float irisRadius = 0;
};

// Finds pupil and iris in a near-infrared eye image the way the camera does before it extracts a
// template: the pupil is the large dark blob (its specular reflections filled in), its edge is
// traced along rays; the limbus is the strongest dark-to-light step on rays to the left and right,
// where eyelids rarely reach. No eye, a shut eye or implausible circles give `found` = false.
class EyeSegmenter {
public:
    EyeGeometry locate(const GreyImage& frame) const;

    // Grey level below which a pixel counts as pupil.
    static constexpr float kDarkLevel = 42;
};

}  // namespace ocusim
