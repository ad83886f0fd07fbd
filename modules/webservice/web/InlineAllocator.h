#pragma once

#include <cstddef>

#include "web/GrowingAllocator.h"

namespace vtl_base_type {

// Storage of InlineAllocator, a base class so that it exists before the allocator is built.
template <std::size_t N>
struct InlineArea {
    alignas(8) unsigned char inlineBytes[N];
};

// A ByteAllocator whose first chunk is an N-byte area inside the object itself, so that small
// per-request structures (result documents, writer stacks, request bodies, lists) never touch
// the heap; further chunks of `Growth` bytes come from the heap. The area is left
// uninitialised. Not copyable; lives wherever its owner lives (usually the stack).
template <std::size_t N, std::size_t Growth = ByteAllocator::kDefaultGrowth>
class InlineAllocator : private InlineArea<N>, public ByteAllocator {
public:
    InlineAllocator() : ByteAllocator(this->inlineBytes, N, Growth) {}
};

}  // namespace vtl_base_type
