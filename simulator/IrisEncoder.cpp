#include "simulator/IrisEncoder.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ocusim {

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr float kWavelength = 12.0f;  // in columns
constexpr int kHalfSupport = 12;
// Bits whose response component is weaker than this share of the row's typical magnitude flip
// with a little noise, so they are masked ("fragile bits").
constexpr float kFragileShare = 0.25f;

struct Kernel {
    float real[2 * kHalfSupport + 1];
    float imag[2 * kHalfSupport + 1];
};

Kernel makeKernel() {
    Kernel kernel;
    const float sigma = 0.5f * kWavelength;
    float realSum = 0;
    float weightSum = 0;
    for (int n = -kHalfSupport; n <= kHalfSupport; ++n) {
        const float envelope = std::exp(-(n * n) / (2 * sigma * sigma));
        kernel.real[n + kHalfSupport] = envelope * std::cos(kTwoPi * n / kWavelength);
        kernel.imag[n + kHalfSupport] = envelope * std::sin(kTwoPi * n / kWavelength);
        realSum += kernel.real[n + kHalfSupport];
        weightSum += envelope;
    }
    // No response to flat light: remove the real part's mean along the envelope.
    for (int n = -kHalfSupport; n <= kHalfSupport; ++n) {
        const float envelope = std::exp(-(n * n) / (2 * sigma * sigma));
        kernel.real[n + kHalfSupport] -= realSum * envelope / weightSum;
    }
    return kernel;
}

}  // namespace

IrisCode IrisEncoder::encode(const GreyImage& frame, const EyeGeometry& geometry,
                             IrisMeasures* measures) const {
    static const Kernel kernel = makeKernel();
    IrisCode code;
    if (!geometry.found) {
        return code;
    }
    constexpr int rows = IrisCode::kRows;
    constexpr int columns = IrisCode::kColumns;
    std::vector<float> samples(rows * columns);
    std::vector<std::uint8_t> occluded(rows * columns, 0);
    int visible = 0;
    double contrast = 0;
    const float band = geometry.irisRadius - geometry.pupilRadius;
    for (int row = 0; row < rows; ++row) {
        const float rho = 0.06f + 0.86f * (row + 0.5f) / rows;
        for (int column = 0; column < columns; ++column) {
            float sum = 0;
            bool hidden = false;
            // Four samples per cell, spread over the cell, average out sensor noise.
            for (int k = 0; k < 4; ++k) {
                const float r =
                    geometry.pupilRadius + band * (rho + ((k & 1) - 0.5f) * 0.4f / rows);
                const float theta = kTwoPi * (column + ((k >> 1) - 0.5f) * 0.5f) / columns;
                const float value = frame.sample(geometry.centreX + r * std::cos(theta),
                                                 geometry.centreY + r * std::sin(theta));
                hidden = hidden || value > kOccludedAbove || value < kOccludedBelow;
                sum += value;
            }
            samples[row * columns + column] = sum / 4;
            occluded[row * columns + column] = hidden;
            visible += !hidden;
        }
    }
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int left = row * columns + (column + columns - 1) % columns;
            const int here = row * columns + column;
            if (!occluded[left] && !occluded[here]) {
                contrast += std::fabs(samples[here] - samples[left]);
            }
        }
    }

    std::vector<float> real(columns);
    std::vector<float> imag(columns);
    for (int row = 0; row < rows; ++row) {
        const float* line = &samples[row * columns];
        const std::uint8_t* hiddenLine = &occluded[row * columns];
        float magnitude = 0;
        for (int column = 0; column < columns; ++column) {
            float re = 0;
            float im = 0;
            for (int n = -kHalfSupport; n <= kHalfSupport; ++n) {
                const float value = line[(column + n + columns) % columns];
                re += kernel.real[n + kHalfSupport] * value;
                im += kernel.imag[n + kHalfSupport] * value;
            }
            real[column] = re;
            imag[column] = im;
            magnitude += std::fabs(re) + std::fabs(im);
        }
        const float fragile = kFragileShare * magnitude / (2 * columns);
        for (int column = 0; column < columns; ++column) {
            bool touched = false;
            for (int n = -kHalfSupport / 2; n <= kHalfSupport / 2 && !touched; ++n) {
                touched = hiddenLine[(column + n + columns) % columns] != 0;
            }
            const int cell = row * columns + column;
            code.bits[cell] =
                static_cast<std::uint8_t>((real[column] >= 0) | ((imag[column] >= 0) << 1));
            if (!touched) {
                code.mask[cell] =
                    static_cast<std::uint8_t>((std::fabs(real[column]) >= fragile) |
                                              ((std::fabs(imag[column]) >= fragile) << 1));
            }
        }
    }
    if (measures != nullptr) {
        measures->visibleFraction = static_cast<float>(visible) / (rows * columns);
        measures->focus = visible > 0 ? static_cast<float>(contrast / visible) : 0;
    }
    return code;
}

}  // namespace ocusim
