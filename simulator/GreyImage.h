#pragma once

#include <cstdint>
#include <vector>

namespace ocusim {

// An 8-bit grey image, row by row without padding.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    GreyImage() = default;
    GreyImage(int w, int h, std::uint8_t value = 0)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, value) {}

    bool empty() const { return pixels.empty(); }
    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // Bilinear sample at a real position; positions outside the image take the nearest edge.
    float sample(float x, float y) const;
};

}  // namespace ocusim
