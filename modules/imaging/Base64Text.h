#pragma once

#include <cstddef>

#include "web/MemoryPool.h"
#include "web/ResultStatus.h"

namespace lensws {

// Base64 text in a block of the service memory pool, owned by this object until `release`
// hands it over; the block goes back to its pool on destruction. Move-only.
class Base64Text {
public:
    Base64Text() = default;
    Base64Text(Base64Text&& other) noexcept;
    Base64Text& operator=(Base64Text&& other) noexcept;
    Base64Text(const Base64Text&) = delete;
    Base64Text& operator=(const Base64Text&) = delete;
    ~Base64Text();

    // success; memoryAllocationFailed when the pool could not supply the text; failure for
    // null data with a non-zero length.
    ResultStatus status() const { return status_; }
    // The NUL-terminated text; null unless the status is success.
    const char* text() const { return text_; }
    // Characters before the NUL.
    std::size_t length() const { return length_; }
    // Hands the block over (text() is null afterwards); the caller returns it to the pool
    // (WSMemPool::releaseBlock for the process-wide one).
    char* release();

private:
    friend Base64Text toBase64(const void* data, std::size_t n,
                               vtl_base_type::ServiceMemoryPool* pool);

    ResultStatus status_ = ResultStatus::failure;
    char* text_ = nullptr;
    std::size_t length_ = 0;
    vtl_base_type::ServiceMemoryPool* pool_ = nullptr;
};

// Standard Base64 (RFC 4648 alphabet with padding, no line breaks) of the `n` bytes at `data`
// and a NUL, in a block of exactly (n + 2) / 3 * 4 + 1 bytes from `pool` (which must outlive
// the result). An exhausted or missing pool gives memoryAllocationFailed and no text.
Base64Text toBase64(const void* data, std::size_t n, vtl_base_type::ServiceMemoryPool* pool);

// Decodes the `n` characters at `text` into `buffer`, which must hold n / 4 * 3 + 1 bytes,
// skipping every character outside the alphabet (padding included), and writes a NUL after the
// bytes; returns their count. Nothing is written beyond those n / 4 * 3 + 1 bytes: the one or
// two bytes of a final unpadded group that would not fit there are dropped.
std::size_t decodeBase64(const char* text, std::size_t n, unsigned char* buffer);

}  // namespace lensws
