#include "capture/CapturePurpose.h"

#include <string_view>

namespace lensws {

CapturePurpose parseCapturePurpose(QueryValue value) {
    if (!value.present() || value.length() == 0) {
        return CapturePurpose::Enrollment;
    }
    static constexpr struct {
        std::string_view name;
        CapturePurpose purpose;
    } kNames[] = {
        {"verification", CapturePurpose::Verification},
        {"enrollment", CapturePurpose::Enrollment},
        {"identification", CapturePurpose::Identification},
        {"enrollmentV2", CapturePurpose::EnrollmentV2},
        {"liveEnrollBothEyes", CapturePurpose::LiveEnrollBothEyes},
    };
    const std::string_view text(value.data(), value.length());
    for (const auto& entry : kNames) {
        if (text == entry.name) {
            return entry.purpose;
        }
    }
    return CapturePurpose::Invalid;
}

}  // namespace lensws
