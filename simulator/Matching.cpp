#include "simulator/Matching.h"

#include <algorithm>

#include "simulator/IrisMatcher.h"

namespace ocusim {

bool compatibleEyes(std::uint8_t a, std::uint8_t b) {
    return a == 0 || b == 0 || a == b;
}

std::vector<EyeTemplate> templatesOf(const CaptureResult& result, std::uint32_t creatorVersion,
                                     const std::string& label) {
    std::vector<EyeTemplate> templates;
    for (const EyeCapture& eye : result.eyes) {
        if (eye.qualified) {
            templates.push_back(
                EyeTemplate{eye.eyeLabel, eye.quality.total, creatorVersion, label, eye.code});
        }
    }
    return templates;
}

float bestDistance(const std::vector<EyeTemplate>& probe,
                   const std::vector<EyeTemplate>& reference) {
    float best = IrisMatcher::kMaxDistance;
    for (const EyeTemplate& a : probe) {
        for (const EyeTemplate& b : reference) {
            if (compatibleEyes(a.eyePosition, b.eyePosition)) {
                best = std::min(best, IrisMatcher::distance(a.code, b.code));
            }
        }
    }
    return best;
}

}  // namespace ocusim
