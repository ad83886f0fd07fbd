#include "sdk/EnrolleeId.h"

namespace sdk {

bool isValidEnrolleeId(const char* userId) {
    if (userId == nullptr) {
        return false;
    }
    unsigned length = 0;
    for (const char* at = userId; *at != '\0'; ++at, ++length) {
        const char c = *at;
        const bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric || length == kMaxEnrolleeIdLength) {
            return false;
        }
    }
    return length > 0;
}

}  // namespace sdk
