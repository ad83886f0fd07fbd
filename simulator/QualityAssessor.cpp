#include "simulator/QualityAssessor.h"

#include <algorithm>
#include <cmath>

namespace ocusim {

QualityScores QualityAssessor::score(const EyeGeometry& geometry, const IrisMeasures& measures) {
    QualityScores scores;
    if (!geometry.found) {
        return scores;
    }
    const float usable = std::clamp(measures.visibleFraction * 100.0f, 0.0f, 100.0f);
    const float focus = std::clamp(measures.focus / kSharpFocus * 100.0f, 0.0f, 100.0f);
    // A pupil far from a third of the iris (strongly dilated or constricted) distorts the pattern.
    const float ratio = geometry.pupilRadius / geometry.irisRadius;
    const float dilation = std::clamp(100.0f - std::fabs(ratio - 0.38f) * 250.0f, 0.0f, 100.0f);
    scores.usableArea = static_cast<std::uint8_t>(std::lround(usable));
    scores.total = static_cast<std::uint8_t>(
        std::lround(std::clamp(0.4f * usable + 0.4f * focus + 0.2f * dilation, 0.0f, 100.0f)));
    return scores;
}

bool QualityAssessor::qualifies(const EyeGeometry& geometry, const QualityScores& scores,
                                std::uint8_t minimumUsableArea) {
    return geometry.found && scores.usableArea >= minimumUsableArea && scores.total >= 50;
}

}  // namespace ocusim
