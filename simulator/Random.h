#pragma once

#include <cstdint>
#include <string>

namespace ocusim {

// A small, fast, deterministic generator (SplitMix64). The simulator seeds one from a subject's
// name, an eye and a capture number, so the same inputs always give the same picture.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // Uniform in [0, 1).
    double uniform();
    // Uniform in [low, high).
    double range(double low, double high) { return low + (high - low) * uniform(); }
    // Roughly normal with mean 0 and deviation 1 (sum of uniforms; cheap and bounded).
    double normal();

private:
    std::uint64_t state_;
};

// FNV-1a of a text, for seeding.
std::uint64_t hashText(const std::string& text);
// Mixes two seeds into one.
std::uint64_t mixSeed(std::uint64_t a, std::uint64_t b);

}  // namespace ocusim
