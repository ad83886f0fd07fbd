#include "sdk/DataBuffer.h"

#include <cstring>
#include <new>

namespace sdk {

bool DataBuffer::reserve(std::size_t capacity) {
    if (capacity <= capacity_) {
        return true;
    }
    std::unique_ptr<std::uint8_t[]> grown(new (std::nothrow) std::uint8_t[capacity]);
    if (!grown) {
        return false;
    }
    if (length_ > 0) {
        std::memcpy(grown.get(), bytes_.get(), length_);
    }
    bytes_ = std::move(grown);
    capacity_ = capacity;
    return true;
}

}  // namespace sdk
