#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "web/CriticalSection.h"
#include "web/GrowingAllocator.h"

namespace vtl_base_type {

// A thread-safe pool of reusable blocks over a growing allocator. Each block carries a 16-byte
// header {next free block, capacity (the size first requested for the block), reserved 0};
// callers get the address just past it. Released blocks go to a free list kept in
// ascending order of capacity, and a request takes the smallest free block that is large
// enough (best fit) before it carves a new one. Blocks go back to the allocator only with it.
//
// The free list is singly linked: the walks that search and insert keep the predecessor at
// hand, which is all a doubly linked list would give.
//
// Every operation holds `lock_` (a `Lock` with a nested scoped `Guard`) for its whole length;
// the allocator is reached only under it.
template <class Allocator, class Lock>
class MemoryPool {
public:
    static constexpr std::size_t kBlockHeaderSize = 16;
    static constexpr std::size_t kOwnAllocatorGrowth = 0x10000;

    // `allocator` (not owned) may be null: the pool then creates its own, with a 64 KiB growth
    // step, on first need.
    explicit MemoryPool(Allocator* allocator = nullptr) : allocator_(allocator) {}
    MemoryPool(const MemoryPool&) = delete;
    MemoryPool& operator=(const MemoryPool&) = delete;

    ~MemoryPool() { free_ = nullptr; }

    // Throws std::bad_alloc when the allocator cannot supply a new block.
    void* allocate(std::size_t n) {
        typename Lock::Guard guard(&lock_);
        return allocateLocked(n);
    }

    // Puts the block of `p` on the free list; null is ignored. `p` must come from this pool.
    void release(void* p) {
        typename Lock::Guard guard(&lock_);
        releaseLocked(p);
    }

    // null p: allocate; newLength 0: release p and give null; a block whose length or capacity
    // already covers newLength is returned unchanged; otherwise a new block receives the
    // smaller of the two lengths and p is released, all under one hold of the lock.
    void* reallocate(void* p, std::size_t oldLength, std::size_t newLength) {
        if (p == nullptr) {
            return allocate(newLength);
        }
        if (newLength == 0) {
            release(p);
            return nullptr;
        }
        typename Lock::Guard guard(&lock_);
        if (oldLength >= newLength || blockOf(p)->capacity >= newLength) {
            return p;
        }
        void* q = allocateLocked(newLength);
        std::memcpy(q, p, oldLength < newLength ? oldLength : newLength);
        releaseLocked(p);
        return q;
    }

    // Capacity recorded for the block of `p` (the size first requested for it).
    static std::size_t blockCapacity(const void* p) {
        return reinterpret_cast<const BlockHeader*>(static_cast<const unsigned char*>(p) -
                                                    kBlockHeaderSize)
            ->capacity;
    }

    // Number of blocks on the free list.
    std::size_t freeBlockCount() {
        typename Lock::Guard guard(&lock_);
        std::size_t count = 0;
        for (const BlockHeader* b = free_; b != nullptr; b = b->next) {
            ++count;
        }
        return count;
    }

private:
    struct BlockHeader {
        BlockHeader* next;
        std::uint32_t capacity;
        std::uint32_t reserved;
    };
    static_assert(sizeof(BlockHeader) == kBlockHeaderSize, "the block header is 16 bytes");

    static BlockHeader* blockOf(void* p) {
        return reinterpret_cast<BlockHeader*>(static_cast<unsigned char*>(p) - kBlockHeaderSize);
    }

    Allocator& allocator() {
        if (allocator_ != nullptr) {
            return *allocator_;
        }
        if (!ownAllocator_) {
            ownAllocator_.reset(new Allocator(kOwnAllocatorGrowth));
        }
        return *ownAllocator_;
    }

    void* allocateLocked(std::size_t n) {
        BlockHeader* previous = nullptr;
        for (BlockHeader* b = free_; b != nullptr; previous = b, b = b->next) {
            if (b->capacity >= n) {
                (previous != nullptr ? previous->next : free_) = b->next;
                b->next = nullptr;
                return reinterpret_cast<unsigned char*>(b) + kBlockHeaderSize;
            }
        }
        if (n > UINT32_MAX - kBlockHeaderSize) {
            throw std::bad_alloc();
        }
        void* raw = allocator().allocate(n + kBlockHeaderSize);
        if (raw == nullptr) {
            throw std::bad_alloc();
        }
        BlockHeader* b = static_cast<BlockHeader*>(raw);
        b->next = nullptr;
        b->capacity = static_cast<std::uint32_t>(n);
        b->reserved = 0;
        return static_cast<unsigned char*>(raw) + kBlockHeaderSize;
    }

    void releaseLocked(void* p) {
        if (p == nullptr) {
            return;
        }
        BlockHeader* block = blockOf(p);
        BlockHeader* previous = nullptr;
        BlockHeader* b = free_;
        while (b != nullptr && b->capacity < block->capacity) {
            previous = b;
            b = b->next;
        }
        block->next = b;
        (previous != nullptr ? previous->next : free_) = block;
    }

    Lock lock_;
    Allocator* allocator_;                     // given, not owned; reached under lock_
    std::unique_ptr<Allocator> ownAllocator_;  // created on first need; guarded by lock_
    BlockHeader* free_ = nullptr;              // ascending capacity; guarded by lock_
};

// The pool type of the process-wide pool (WSMemPool) and of the memory files over it.
using ServiceMemoryPool = MemoryPool<ByteAllocator, CriticalSection>;

}  // namespace vtl_base_type
