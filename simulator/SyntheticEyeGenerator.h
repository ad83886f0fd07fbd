#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "simulator/FrameGenerator.h"
#include "simulator/IrisTexture.h"

namespace ocusim {

// Draws eyes: pupil with the illuminators' specular reflections, the seeded iris pattern, limbus
// and sclera, eyelids with lashes, skin, and sensor noise. Iris patterns are kept in a small
// cache because building one costs more than drawing a frame. Not thread-safe.
class SyntheticEyeGenerator : public FrameGenerator {
public:
    void render(const EyeScene& scene, int width, int height, GreyImage& frame) override;

    // The iris pattern of an identity (built on first use, then cached).
    const IrisTexture& texture(std::uint64_t identitySeed);

private:
    static constexpr std::size_t kCacheSize = 8;
    std::list<std::unique_ptr<IrisTexture>> cache_;  // most recently used first
};

}  // namespace ocusim
