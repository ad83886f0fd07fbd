#pragma once

#include <cstring>

#include "web/GrowingAllocator.h"

namespace lensws {

// A copy of the zero-terminated `text` in `pool`; null is taken as the empty text.
inline const char* copyToPool(vtl_base_type::ByteAllocator& pool, const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return "";
    }
    const std::size_t length = std::strlen(text);
    char* copy = static_cast<char*>(pool.allocate(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

}  // namespace lensws
