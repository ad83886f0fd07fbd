#pragma once

#include <cstdint>

#include "web/QueryParameter.h"

namespace lensws {

// Why a client captures; every purpose runs the same capture, the name is only checked.
enum class CapturePurpose : std::int32_t {
    Invalid = 0,
    Verification = 1,
    Enrollment = 2,
    Identification = 3,
    EnrollmentV2 = 4,
    LiveEnrollBothEyes = 5,
};

// The "cap_purpose" value, compared exactly: "verification", "enrollment", "identification",
// "enrollmentV2" or "liveEnrollBothEyes"; absent or empty means enrollment; anything else is
// Invalid.
CapturePurpose parseCapturePurpose(QueryValue value);

}  // namespace lensws
