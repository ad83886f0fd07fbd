#pragma once

#include "simulator/IrisCode.h"

namespace ocusim {

// Compares iris codes. The raw score is the fraction of disagreeing bits among those both codes
// trust (Hamming distance), minimised over small rotations of one code to absorb head roll. The
// camera reports a distance in [0, 2): the Hamming distance mapped so that the same eye lands well
// below 1.05 and different eyes well above 1.1 (see `distanceFromHamming`).
class IrisMatcher {
public:
    // Rotations tried, in columns either way (about 14 degrees).
    static constexpr int kMaxShift = 10;
    // Fewer bits in common than this cannot support a decision: the codes count as unrelated.
    static constexpr int kMinCommonBits = 300;

    // Smallest fractional Hamming distance over the rotations; 0.5 without enough common bits.
    static float hammingDistance(const IrisCode& a, const IrisCode& b);

    // The camera's distance for two codes.
    static float distance(const IrisCode& a, const IrisCode& b);

    // Same-eye comparisons of this camera's codes stay below a Hamming distance of about 0.05,
    // different eyes rarely come below 0.35 (codes of independent textures agree on half their
    // bits; the rotation search lowers that a little). The decision point the service uses,
    // between 1.05 and 1.1, falls at a Hamming distance of about 0.245, far from both.
    static constexpr float kDistancePerHamming = 4.4f;
    static constexpr float kMaxDistance = 1.999f;
    static float distanceFromHamming(float hamming);
};

}  // namespace ocusim
