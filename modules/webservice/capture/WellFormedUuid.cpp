#include "capture/WellFormedUuid.h"

#include <cstring>

#include "platform/Uuid.h"

namespace lensws {

bool isWellFormedUuid(const char* text, std::size_t length) {
    if (text == nullptr || length != platform::kUuidTextLength) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-') {
                return false;
            }
        } else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

bool isWellFormedUuid(const char* text) {
    return text != nullptr && isWellFormedUuid(text, std::strlen(text));
}

}  // namespace lensws
