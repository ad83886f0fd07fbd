#include "simulator/EyeSegmenter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ocusim {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kReflectionLevel = 225;
constexpr int kPupilRays = 36;

float median(std::vector<float> values) {
    if (values.empty()) {
        return 0;
    }
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    return values[middle];
}

bool pupilLike(float value) {
    return value < EyeSegmenter::kDarkLevel || value > kReflectionLevel;
}

// Distance from (cx, cy) along `angle` to where the pupil ends: the start of four pixels of
// non-pupil in a row (the blurred rim of a reflection is shorter than that).
float pupilEdge(const GreyImage& frame, float cx, float cy, float angle, float limit) {
    const float dx = std::cos(angle);
    const float dy = std::sin(angle);
    constexpr float kStep = 0.5f;
    constexpr int kRun = 8;
    int outside = 0;
    for (float t = 1.0f; t < limit; t += kStep) {
        if (pupilLike(frame.sample(cx + t * dx, cy + t * dy))) {
            outside = 0;
        } else if (++outside == kRun) {
            return t - (kRun - 1) * kStep;
        }
    }
    return limit;
}

// Distance along `angle` of the strongest dark-to-light step between `from` and `to`, with the
// profile averaged over a few neighbouring rays; 0 when no clear step exists.
float limbusEdge(const GreyImage& frame, float cx, float cy, float angle, float from, float to) {
    std::vector<float> profile;
    for (float t = from; t <= to; t += 1.0f) {
        float sum = 0;
        for (int k = -2; k <= 2; ++k) {
            const float a = angle + k * 0.02f;
            sum += frame.sample(cx + t * std::cos(a), cy + t * std::sin(a));
        }
        profile.push_back(sum / 5);
    }
    float best = 0;
    float bestT = 0;
    for (std::size_t i = 3; i + 3 < profile.size(); ++i) {
        const float step = profile[i + 3] - profile[i - 3];
        if (step > best) {
            best = step;
            bestT = from + static_cast<float>(i);
        }
    }
    return best > 30 ? bestT : 0;
}

}  // namespace

EyeGeometry EyeSegmenter::locate(const GreyImage& frame) const {
    EyeGeometry geometry;
    if (frame.width < 32 || frame.height < 32) {
        return geometry;
    }

    // 1. The pupil's centre: the mean of dark pixels, narrowed to the blob around it.
    float cx = 0;
    float cy = 0;
    float window = static_cast<float>(std::max(frame.width, frame.height));
    for (int round = 0; round < 5; ++round) {
        double sumX = 0;
        double sumY = 0;
        int count = 0;
        const int x0 = std::max(0, static_cast<int>(cx - window));
        const int x1 = std::min(frame.width - 1, static_cast<int>(cx + window));
        const int y0 = std::max(0, static_cast<int>(cy - window));
        const int y1 = std::min(frame.height - 1, static_cast<int>(cy + window));
        for (int y = round == 0 ? 0 : y0; y <= (round == 0 ? frame.height - 1 : y1); y += 2) {
            for (int x = round == 0 ? 0 : x0; x <= (round == 0 ? frame.width - 1 : x1); x += 2) {
                if (frame.at(x, y) < kDarkLevel) {
                    sumX += x;
                    sumY += y;
                    ++count;
                }
            }
        }
        if (count < 40) {
            return geometry;
        }
        cx = static_cast<float>(sumX / count);
        cy = static_cast<float>(sumY / count);
        const float estimatedRadius = std::sqrt(count * 4.0f / kPi);
        window = 1.6f * estimatedRadius + 4;
    }

    // 2. The pupil's edge along rays; recentre on opposite rays until it settles.
    std::vector<float> edges(kPupilRays);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < kPupilRays; ++i) {
            edges[i] = pupilEdge(frame, cx, cy, 2 * kPi * i / kPupilRays, 160);
        }
        float shiftX = 0;
        float shiftY = 0;
        for (int i = 0; i < kPupilRays / 2; ++i) {
            const float angle = 2 * kPi * i / kPupilRays;
            const float half = (edges[i] - edges[i + kPupilRays / 2]) / 2;
            shiftX += half * std::cos(angle);
            shiftY += half * std::sin(angle);
        }
        cx += shiftX * 2 / (kPupilRays / 2);
        cy += shiftY * 2 / (kPupilRays / 2);
    }
    const float pupil = median(edges);
    if (pupil < 6 || pupil >= 150) {
        return geometry;
    }

    // 3. The limbus on rays to either side.
    std::vector<float> limbus;
    for (int degrees = -35; degrees <= 35; degrees += 5) {
        for (int side = 0; side < 2; ++side) {
            const float angle = (degrees + side * 180) * kPi / 180;
            const float edge =
                limbusEdge(frame, cx, cy, angle, pupil * 1.3f, std::min(pupil * 4.5f, 260.0f));
            if (edge > 0) {
                limbus.push_back(edge);
            }
        }
    }
    if (limbus.size() < 8) {
        return geometry;
    }
    const float iris = median(limbus);
    const float ratio = iris / pupil;
    if (ratio < 1.5f || ratio > 5.0f || iris < 30) {
        return geometry;
    }
    geometry.found = true;
    geometry.centreX = cx;
    geometry.centreY = cy;
    geometry.pupilRadius = pupil;
    geometry.irisRadius = iris;
    return geometry;
}

}  // namespace ocusim
