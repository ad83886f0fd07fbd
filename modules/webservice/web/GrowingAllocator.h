#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "web/CppMemory.h"

namespace vtl_base_type {

// A chunked bump allocator: blocks are carved one after the other from the current chunk and
// are never released one by one; `clear` (or destruction) gives every chunk back at once.
//
// Chunk layout: the chunk starts at the first 4-byte boundary of the raw memory, followed by a
// 20-byte header {capacity (usable bytes after the header), size (bytes used, alignment
// padding included), previous chunk's raw start (null for the oldest chunk), offset of the last
// block handed out}; the data follows the header. Each block starts at the next `Alignment`
// boundary and takes its size rounded up to a multiple of `Alignment`.
//
// A full chunk is never revisited: a request that does not fit opens a new chunk of
// max(rounded size, growth step) + 32 bytes from the base allocator.
//
// Optionally the first chunk is a buffer of the caller's (typically on the stack or inside the
// owning object); it must outlive the allocator and is never handed to the base allocator.
//
// Not thread-safe: one owner, or a lock held by the owner (MemoryPool).
//
// The class also models RapidJSON's Allocator concept (Malloc, Realloc, static Free,
// kNeedFree), so RapidJSON writers and documents can draw their memory from it.
template <class BaseAllocator, std::size_t Alignment>
class GrowingAllocator {
    static_assert(Alignment >= 4 && (Alignment & (Alignment - 1)) == 0,
                  "alignment must be a power of two of at least 4");

public:
    static constexpr std::size_t kHeaderSize = 20;
    static constexpr std::size_t kChunkExtra = 32;
    static constexpr std::size_t kDefaultGrowth = 0x10000;

    // RapidJSON Allocator concept: blocks need no individual release.
    static const bool kNeedFree = false;

    // RapidJSON creates its own allocator with this when none is given.
    GrowingAllocator() : GrowingAllocator(kDefaultGrowth) {}

    // No chunk until the first allocation. `base` (not owned) may be null: a private one is
    // created on first need.
    explicit GrowingAllocator(std::size_t growthStep, BaseAllocator* base = nullptr)
        : growth_(growthStep), base_(base) {}

    // `buffer` of `size` bytes becomes the first chunk; its usable capacity is `size` less the
    // padding to a 4-byte boundary and the header. A buffer too small for the header is not
    // used.
    GrowingAllocator(void* buffer, std::size_t size, std::size_t growthStep,
                     BaseAllocator* base = nullptr)
        : growth_(growthStep), base_(base) {
        unsigned char* raw = static_cast<unsigned char*>(buffer);
        if (raw != nullptr && size >= padTo4(raw) + kHeaderSize &&
            size - padTo4(raw) - kHeaderSize <= UINT32_MAX) {
            firstBuffer_ = raw;
            openChunk(raw, size);
        }
    }

    GrowingAllocator(const GrowingAllocator&) = delete;
    GrowingAllocator& operator=(const GrowingAllocator&) = delete;

    ~GrowingAllocator() { clear(); }

    // n = 0 gives null; throws std::bad_alloc when the base allocator cannot supply a chunk.
    void* allocate(std::size_t n) {
        if (n == 0) {
            return nullptr;
        }
        if (n > kMaxRequest) {
            throw std::bad_alloc();
        }
        const std::size_t rounded = roundUp(n);
        if (current_ != nullptr) {
            if (void* p = carve(rounded)) {
                return p;
            }
        }
        const std::size_t amount = (rounded > growth_ ? rounded : growth_) + kChunkExtra;
        if (amount > kMaxChunk) {
            throw std::bad_alloc();
        }
        unsigned char* raw = static_cast<unsigned char*>(base().allocate(amount));
        if (raw == nullptr) {
            throw std::bad_alloc();
        }
        openChunk(raw, amount);
        void* p = carve(rounded);
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        return p;
    }

    // Grows `p` in place when it is the last block of the current chunk and the chunk has room
    // for the rounded difference; otherwise allocates anew and copies `oldSize` bytes (the old
    // block is not released). A block never shrinks.
    void* reallocate(void* p, std::size_t oldSize, std::size_t newSize) {
        if (p == nullptr) {
            return allocate(newSize);
        }
        if (newSize == 0) {
            return nullptr;
        }
        if (oldSize >= newSize) {
            return p;
        }
        if (current_ != nullptr && newSize - oldSize <= kMaxRequest) {
            Header& h = *current_;
            const std::size_t grow = roundUp(newSize - oldSize);
            if (static_cast<unsigned char*>(p) == data(current_) + h.lastBlock &&
                h.size > h.lastBlock && h.capacity - h.size >= grow) {
                h.size += static_cast<std::uint32_t>(grow);
                return p;
            }
        }
        void* q = allocate(newSize);
        std::memcpy(q, p, oldSize);
        return q;
    }

    // Blocks live until the allocator is cleared.
    void release(void*) {}

    // Gives every chunk back to the base allocator except the caller's first buffer, whose
    // used size is reset to 0; then deletes the private base allocator.
    void clear() {
        unsigned char* raw = currentRaw_;
        while (raw != nullptr) {
            Header* h = header(raw);
            unsigned char* previous = h->previousRaw;
            if (raw == firstBuffer_) {
                h->size = 0;
                h->lastBlock = 0;
            } else {
                base().release(raw);
            }
            raw = previous;
        }
        if (firstBuffer_ != nullptr) {
            currentRaw_ = firstBuffer_;
            current_ = header(firstBuffer_);
        } else {
            currentRaw_ = nullptr;
            current_ = nullptr;
        }
        ownedBase_.reset();
    }

    // Sum of the usable capacities of every chunk.
    std::size_t capacity() const {
        std::size_t total = 0;
        for (const unsigned char* raw = currentRaw_; raw != nullptr;) {
            const Header* h = header(raw);
            total += h->capacity;
            raw = h->previousRaw;
        }
        return total;
    }

    // Sum of the used sizes of every chunk.
    std::size_t size() const {
        std::size_t total = 0;
        for (const unsigned char* raw = currentRaw_; raw != nullptr;) {
            const Header* h = header(raw);
            total += h->size;
            raw = h->previousRaw;
        }
        return total;
    }

    std::size_t growthStep() const { return growth_; }

    // RapidJSON Allocator concept.
    void* Malloc(std::size_t size) { return allocate(size); }
    void* Realloc(void* p, std::size_t oldSize, std::size_t newSize) {
        return reallocate(p, oldSize, newSize);
    }
    static void Free(void*) {}

private:
#pragma pack(push, 4)
    struct Header {
        std::uint32_t capacity;
        std::uint32_t size;
        unsigned char* previousRaw;
        std::uint32_t lastBlock;
    };
#pragma pack(pop)
    static_assert(sizeof(Header) == kHeaderSize, "the chunk header is 20 bytes");

    static constexpr std::size_t kMaxChunk = UINT32_MAX;
    static constexpr std::size_t kMaxRequest = UINT32_MAX - 2 * kChunkExtra - Alignment;

    static std::size_t padTo4(const void* p) {
        return (4 - (reinterpret_cast<std::uintptr_t>(p) & 3)) & 3;
    }
    static std::size_t roundUp(std::size_t n) {
        return (n + Alignment - 1) & ~(Alignment - 1);
    }
    static Header* header(unsigned char* raw) {
        return reinterpret_cast<Header*>(raw + padTo4(raw));
    }
    static const Header* header(const unsigned char* raw) {
        return reinterpret_cast<const Header*>(raw + padTo4(raw));
    }
    static unsigned char* data(Header* h) {
        return reinterpret_cast<unsigned char*>(h) + kHeaderSize;
    }

    BaseAllocator& base() {
        if (base_ != nullptr) {
            return *base_;
        }
        if (!ownedBase_) {
            ownedBase_.reset(new BaseAllocator());
        }
        return *ownedBase_;
    }

    // Makes `raw` (of `amount` bytes, at least the padding and the header) the current chunk.
    void openChunk(unsigned char* raw, std::size_t amount) {
        Header* h = header(raw);
        h->capacity = static_cast<std::uint32_t>(amount - padTo4(raw) - kHeaderSize);
        h->size = 0;
        h->previousRaw = currentRaw_;
        h->lastBlock = 0;
        currentRaw_ = raw;
        current_ = h;
    }

    // Carves `rounded` bytes at the next aligned address of the current chunk, or null when
    // they do not fit.
    void* carve(std::size_t rounded) {
        Header& h = *current_;
        unsigned char* next = data(current_) + h.size;
        const std::size_t pad =
            (Alignment - (reinterpret_cast<std::uintptr_t>(next) & (Alignment - 1))) &
            (Alignment - 1);
        if (h.capacity - h.size < pad + rounded) {
            return nullptr;
        }
        h.lastBlock = h.size + static_cast<std::uint32_t>(pad);
        h.size += static_cast<std::uint32_t>(pad + rounded);
        return next + pad;
    }

    std::size_t growth_;
    BaseAllocator* base_;                       // given, not owned; may be null
    std::unique_ptr<BaseAllocator> ownedBase_;  // created on first need when none was given
    unsigned char* firstBuffer_ = nullptr;
    unsigned char* currentRaw_ = nullptr;  // raw start of the current chunk
    Header* current_ = nullptr;            // header of the current chunk
};

// The allocator every per-request structure of the service uses.
using ByteAllocator = GrowingAllocator<CppMemory, 8>;

}  // namespace vtl_base_type
