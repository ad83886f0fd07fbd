#pragma once

#include "simulator/EyeScene.h"
#include "simulator/GreyImage.h"

namespace ocusim {

// Produces the sensor image of a scene. The camera depends only on this interface, so another
// image source (recorded frames, a test pattern) can stand in for the synthetic one.
class FrameGenerator {
public:
    virtual ~FrameGenerator() = default;

    // Fills `frame` (resized to width x height) with the picture of `scene`.
    virtual void render(const EyeScene& scene, int width, int height, GreyImage& frame) = 0;
};

}  // namespace ocusim
