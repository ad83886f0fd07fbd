#pragma once

// Bounds-checked little-endian reading of wire data. Every read either fits in what is left and
// advances, or fails without advancing and marks the reader failed (ok() stays false from
// then on), so a parser can run a sequence of reads and check once, or check each read.

#include <cstddef>
#include <cstdint>

namespace sdk {

class ByteReader {
public:
    ByteReader(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(data ? size : 0) {}

    bool readU8(std::uint8_t* value);
    bool readU16(std::uint16_t* value);
    bool readU32(std::uint32_t* value);
    bool readI32(std::int32_t* value);
    bool readF32(float* value);
    // A view of the next `count` bytes, valid as long as the underlying data.
    bool readBytes(std::size_t count, const std::uint8_t** bytes);
    bool skip(std::size_t count);
    bool seek(std::size_t position);

    std::size_t position() const { return position_; }
    std::size_t size() const { return size_; }
    std::size_t remaining() const { return size_ - position_; }
    const std::uint8_t* current() const { return data_ + position_; }
    bool ok() const { return ok_; }

private:
    bool take(std::size_t count, const std::uint8_t** at);

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace sdk
