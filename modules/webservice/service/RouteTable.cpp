#include "service/RouteTable.h"

#include <cstring>

namespace lensws {

void RouteTable::append(const char* route, CivetHandler* handler) {
    if (size_ == capacity_) {
        std::size_t capacity = capacity_ == 0 ? 8 : capacity_ * 2;
        entries_ = static_cast<RouteEntry*>(allocator_.reallocate(
            entries_, capacity_ * sizeof(RouteEntry), capacity * sizeof(RouteEntry)));
        capacity_ = capacity;
    }
    std::size_t length = std::strlen(route);
    char* text = static_cast<char*>(allocator_.allocate(length + 1));
    std::memcpy(text, route, length + 1);
    entries_[size_++] = RouteEntry{text, handler};
}

}  // namespace lensws
