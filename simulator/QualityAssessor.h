#pragma once

#include <cstdint>

#include "simulator/EyeSegmenter.h"
#include "simulator/IrisEncoder.h"

namespace ocusim {

// The camera's two quality scores of an eye image, 0 to 100 each.
struct QualityScores {
    std::uint8_t total = 0;       // overall fitness for matching
    std::uint8_t usableArea = 0;  // share of the iris band that is visible
};

// Scores an eye image from what segmentation and encoding measured: the visible share of the
// iris band, the sharpness of its texture and how plausible the pupil size is. An eye qualifies
// when it was found, enough of its iris is visible and its texture is sharp.
class QualityAssessor {
public:
    // Mean texture contrast of a sharp image of this camera; blur lowers it.
    static constexpr float kSharpFocus = 3.0f;

    static QualityScores score(const EyeGeometry& geometry, const IrisMeasures& measures);
    static bool qualifies(const EyeGeometry& geometry, const QualityScores& scores,
                          std::uint8_t minimumUsableArea);
};

}  // namespace ocusim
