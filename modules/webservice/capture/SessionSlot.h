#pragma once

#include <cstdint>

#include "platform/Uuid.h"

namespace lensws {

// One entry of the session table. A free slot is all zero.
struct SessionSlot {
    std::int32_t inUse = 0;       // 1 while the slot holds a session
    std::int64_t lastAccess = 0;  // seconds since 1970: creation or last touching request
    char sessionId[platform::kUuidTextLength + 1] = {};  // 36 characters and a zero
};

}  // namespace lensws
