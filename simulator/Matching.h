#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/CaptureResult.h"
#include "simulator/TemplateCodec.h"

namespace ocusim {

// Eye labels fit when they agree or either is unknown (a monocular camera's).
bool compatibleEyes(std::uint8_t a, std::uint8_t b);

// The templates of a capture's qualified eyes, right eye first.
std::vector<EyeTemplate> templatesOf(const CaptureResult& result, std::uint32_t creatorVersion,
                                     const std::string& label = {});

// The smallest distance between a probe template and a reference template with fitting eye
// labels; the largest distance when no pair fits.
float bestDistance(const std::vector<EyeTemplate>& probe,
                   const std::vector<EyeTemplate>& reference);

}  // namespace ocusim
