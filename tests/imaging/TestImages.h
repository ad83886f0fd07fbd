#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "simulator/SyntheticEyeGenerator.h"

namespace imagingtest {

// A textured grey picture: the simulator's eye where there is room for one, a smooth ramp on
// tiny sizes.
inline std::vector<std::uint8_t> testImage(unsigned width, unsigned height) {
    if (width < 64 || height < 64) {
        std::vector<std::uint8_t> ramp(std::size_t{width} * height);
        for (std::size_t i = 0; i < ramp.size(); ++i) {
            ramp[i] = static_cast<std::uint8_t>(40 + 9 * (i % width) + 5 * (i / width));
        }
        return ramp;
    }
    ocusim::SyntheticEyeGenerator generator;
    ocusim::EyeScene scene;
    scene.identitySeed = 7;
    scene.centreX = width / 2.0f;
    scene.centreY = height / 2.0f;
    ocusim::GreyImage frame;
    generator.render(scene, static_cast<int>(width), static_cast<int>(height), frame);
    return frame.pixels;
}

// Peak signal-to-noise ratio in dB; infinite for identical pictures.
inline double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = double(a[i]) - double(b[i]);
        squares += d * d;
    }
    return squares == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * a.size() / squares);
}

}  // namespace imagingtest
