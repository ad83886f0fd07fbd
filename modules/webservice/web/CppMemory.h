#pragma once

#include <cstddef>

namespace vtl_base_type {

// The raw allocator under every growing allocator: array allocation with the global operator
// new[] (so exhaustion throws std::bad_alloc) and the matching delete[]. Stateless.
class CppMemory {
public:
    void* allocate(std::size_t n);
    // A null pointer is ignored.
    void release(void* p);
};

}  // namespace vtl_base_type
