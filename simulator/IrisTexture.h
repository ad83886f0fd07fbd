#pragma once

#include <cstdint>
#include <vector>

namespace ocusim {

// The iris pattern of one eye, seeded by the subject and the eye, in normalised polar form:
// rho runs from the pupil's edge (0) to the limbus (1), theta around the eye. The pattern is made
// of what gives real irises their individuality: radial furrows, crypts, a collarette and fine
// texture, each placed at random. Two seeds share nothing but the recipe.
class IrisTexture {
public:
    static constexpr int kRadialCells = 64;
    static constexpr int kAngularCells = 512;

    explicit IrisTexture(std::uint64_t seed);

    std::uint64_t seed() const { return seed_; }
    // Grey level at (rho, theta), rho in [0, 1], theta in radians (any value; it wraps).
    float sample(float rho, float theta) const;

    // Size of the iris at the qualified capture distance, in pixels.
    float irisRadius() const { return irisRadius_; }
    // Pupil radius over iris radius at rest.
    float pupilRatio() const { return pupilRatio_; }

private:
    float& cell(int r, int a) { return cells_[static_cast<std::size_t>(r) * kAngularCells + a]; }
    float cell(int r, int a) const {
        return cells_[static_cast<std::size_t>(r) * kAngularCells + a];
    }

    std::uint64_t seed_;
    float irisRadius_;
    float pupilRatio_;
    std::vector<float> cells_;
};

}  // namespace ocusim
