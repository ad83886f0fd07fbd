#include "simulator/IrisTexture.h"

#include <algorithm>
#include <cmath>

#include "simulator/Random.h"

namespace ocusim {

namespace {

constexpr float kTwoPi = 6.28318530718f;

// Angular distance in cells, wrapped to [-kAngularCells/2, kAngularCells/2).
float wrappedCells(float a, float b) {
    float d = a - b;
    const float n = static_cast<float>(IrisTexture::kAngularCells);
    d -= n * std::floor(d / n + 0.5f);
    return d;
}

}  // namespace

IrisTexture::IrisTexture(std::uint64_t seed)
    : seed_(seed), cells_(static_cast<std::size_t>(kRadialCells) * kAngularCells) {
    Random random(seed);
    irisRadius_ = static_cast<float>(random.range(104, 124));
    pupilRatio_ = static_cast<float>(random.range(0.32, 0.42));
    const float base = static_cast<float>(random.range(88, 112));
    const float collarette = static_cast<float>(random.range(0.22, 0.38));
    const float collaretteLift = static_cast<float>(random.range(10, 22));

    // Base: darker near the pupil, a raised collarette ring with a wavy edge, fine rings outside.
    const int waves = 5 + static_cast<int>(random.uniform() * 6);
    const float wavePhase = static_cast<float>(random.range(0, kTwoPi));
    const float ringPhase = static_cast<float>(random.range(0, kTwoPi));
    for (int r = 0; r < kRadialCells; ++r) {
        const float rho = (r + 0.5f) / kRadialCells;
        for (int a = 0; a < kAngularCells; ++a) {
            const float theta = kTwoPi * a / kAngularCells;
            const float edge = collarette + 0.04f * std::sin(waves * theta + wavePhase);
            float value = base - 12.0f * (1.0f - rho);
            value += collaretteLift / (1.0f + std::exp((rho - edge) * 60.0f)) * (rho > 0.05f);
            value += 5.0f * std::sin(rho * 38.0f + ringPhase) * (rho > 0.6f);
            cell(r, a) = value;
        }
    }

    // Radial furrows: thin light or dark streaks along rho.
    const int furrows = 70 + static_cast<int>(random.uniform() * 40);
    for (int i = 0; i < furrows; ++i) {
        const float centre = static_cast<float>(random.range(0, kAngularCells));
        const float width = static_cast<float>(random.range(1.0, 5.0));
        const float from = static_cast<float>(random.range(0.0, 0.6));
        const float to = std::min(1.0f, from + static_cast<float>(random.range(0.25, 0.8)));
        const float amplitude = static_cast<float>(random.range(-22, 22));
        const float bend = static_cast<float>(random.range(-12, 12));
        for (int r = 0; r < kRadialCells; ++r) {
            const float rho = (r + 0.5f) / kRadialCells;
            if (rho < from || rho > to) {
                continue;
            }
            const float along = (rho - from) / (to - from);
            const float taper = std::sin(3.14159265f * along);
            const float c = centre + bend * along;
            for (int k = -12; k <= 12; ++k) {
                const int a = (static_cast<int>(c) + k + kAngularCells) % kAngularCells;
                const float d = wrappedCells(static_cast<float>(a), c) / width;
                cell(r, a) += amplitude * taper * std::exp(-d * d);
            }
        }
    }

    // Crypts: dark, roughly elliptical pits.
    const int crypts = 25 + static_cast<int>(random.uniform() * 25);
    for (int i = 0; i < crypts; ++i) {
        const float ca = static_cast<float>(random.range(0, kAngularCells));
        const float cr = static_cast<float>(random.range(0.05, 0.95)) * kRadialCells;
        const float sa = static_cast<float>(random.range(3, 14));
        const float sr = static_cast<float>(random.range(2, 7));
        const float depth = static_cast<float>(random.range(18, 40));
        const int r0 = std::max(0, static_cast<int>(cr - 3 * sr));
        const int r1 = std::min(kRadialCells - 1, static_cast<int>(cr + 3 * sr));
        for (int r = r0; r <= r1; ++r) {
            const float dr = (r - cr) / sr;
            for (int k = -static_cast<int>(3 * sa); k <= static_cast<int>(3 * sa); ++k) {
                const int a = (static_cast<int>(ca) + k + kAngularCells) % kAngularCells;
                const float da = wrappedCells(static_cast<float>(a), ca) / sa;
                cell(r, a) -= depth * std::exp(-(dr * dr + da * da));
            }
        }
    }

    // Fine texture: smoothed random field on a coarse lattice.
    constexpr int kLatticeR = 16;
    constexpr int kLatticeA = 128;
    std::vector<float> lattice(kLatticeR * kLatticeA);
    for (float& v : lattice) {
        v = static_cast<float>(random.range(-9, 9));
    }
    for (int r = 0; r < kRadialCells; ++r) {
        const float lr = static_cast<float>(r) * (kLatticeR - 1) / (kRadialCells - 1);
        const int r0 = static_cast<int>(lr);
        const int r1 = std::min(r0 + 1, kLatticeR - 1);
        const float fr = lr - r0;
        for (int a = 0; a < kAngularCells; ++a) {
            const float la = static_cast<float>(a) * kLatticeA / kAngularCells;
            const int a0 = static_cast<int>(la) % kLatticeA;
            const int a1 = (a0 + 1) % kLatticeA;
            const float fa = la - std::floor(la);
            const float top =
                lattice[r0 * kLatticeA + a0] * (1 - fa) + lattice[r0 * kLatticeA + a1] * fa;
            const float bot =
                lattice[r1 * kLatticeA + a0] * (1 - fa) + lattice[r1 * kLatticeA + a1] * fa;
            cell(r, a) += top * (1 - fr) + bot * fr;
        }
    }

    for (float& v : cells_) {
        v = std::clamp(v, 60.0f, 150.0f);
    }
}

float IrisTexture::sample(float rho, float theta) const {
    const float r = std::clamp(rho, 0.0f, 1.0f) * (kRadialCells - 1);
    float a = theta / kTwoPi * kAngularCells;
    a -= kAngularCells * std::floor(a / kAngularCells);
    const int r0 = static_cast<int>(r);
    const int r1 = std::min(r0 + 1, kRadialCells - 1);
    const int a0 = static_cast<int>(a) % kAngularCells;
    const int a1 = (a0 + 1) % kAngularCells;
    const float fr = r - r0;
    const float fa = a - std::floor(a);
    const float top = cell(r0, a0) + (cell(r0, a1) - cell(r0, a0)) * fa;
    const float bottom = cell(r1, a0) + (cell(r1, a1) - cell(r1, a0)) * fa;
    return top + (bottom - top) * fr;
}

}  // namespace ocusim
