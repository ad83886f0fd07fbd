#pragma once

#include <cstdint>

namespace lensws {

// The numeric range of a dictionary item, written as "range" when `present` is 1:
// {"minimum", "maximum", "minimumIsExclusive", "maximumIsExclusive"}.
struct ValueRange {
    std::int32_t present = 0;
    std::uint8_t minimum = 0;
    std::uint8_t maximum = 0;
    bool minimumIsExclusive = false;
    bool maximumIsExclusive = false;
};

}  // namespace lensws
