#pragma once

#include <cstddef>

#include "web/GrowingAllocator.h"

class CivetHandler;

namespace lensws {

// One route: the URI text the web server matches and the handler it calls (not owned).
struct RouteEntry {
    const char* route;
    CivetHandler* handler;
};

// The service's routes in registration order. The entries and copies of the route texts live in
// the given allocator (the service's private one: 256 bytes, then 64 KiB chunks), which must
// outlive the table. Built before the web server starts, read-only afterwards.
class RouteTable {
public:
    explicit RouteTable(vtl_base_type::ByteAllocator& allocator) : allocator_(allocator) {}
    RouteTable(const RouteTable&) = delete;
    RouteTable& operator=(const RouteTable&) = delete;

    // Throws std::bad_alloc when the allocator is exhausted.
    void append(const char* route, CivetHandler* handler);

    std::size_t size() const { return size_; }
    const RouteEntry& operator[](std::size_t index) const { return entries_[index]; }
    const RouteEntry* begin() const { return entries_; }
    const RouteEntry* end() const { return entries_ + size_; }

private:
    vtl_base_type::ByteAllocator& allocator_;
    RouteEntry* entries_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace lensws
