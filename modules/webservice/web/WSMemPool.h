#pragma once

#include <cstddef>
#include <cstdio>

#include "web/MemoryPool.h"

namespace lensws {

// The process-wide memory pool: one ByteAllocator whose first chunk is a static area of
// 2,457,600 bytes and whose growth step is 64 KiB, and one ServiceMemoryPool drawing from it.
// Encoded images, Base64 texts and preview frames come from it.
//
// `create` runs at start-up before the web server starts and `release` at shutdown after it
// stopped; in between any thread may use the pool (it locks itself). The pointers themselves
// are atomics so that a stray late reader sees either the pool or null.
class WSMemPool {
public:
    static constexpr std::size_t kStaticAreaSize = 2457600;
    static constexpr std::size_t kGrowthStep = 0x10000;

    // Creates the allocator and the pool, each only when it does not exist yet.
    static void create();
    // The pool; null before `create` and after `release`.
    static vtl_base_type::ServiceMemoryPool* access();
    // Returns a block to the pool; ignored for null or when there is no pool.
    static void releaseBlock(void* block);
    // Destroys the pool; then, when the allocator exists, prints
    // "\nWSMemPool: Size: %10d, Capacity: %10d \n" (used bytes, then capacity of its chunks)
    // to `out` and destroys the allocator.
    static void release(std::FILE* out = stdout);
};

}  // namespace lensws
