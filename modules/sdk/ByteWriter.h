#pragma once

// Bounds-checked little-endian writing into a caller's byte area, the counterpart of
// ByteReader: a write that does not fit fails without writing and marks the writer failed.

#include <cstddef>
#include <cstdint>

namespace sdk {

class ByteWriter {
public:
    ByteWriter(void* data, std::size_t capacity)
        : data_(static_cast<std::uint8_t*>(data)), capacity_(data ? capacity : 0) {}

    bool writeU8(std::uint8_t value);
    bool writeU16(std::uint16_t value);
    bool writeU32(std::uint32_t value);
    bool writeI32(std::int32_t value) { return writeU32(static_cast<std::uint32_t>(value)); }
    bool writeF32(float value);
    bool writeBytes(const void* bytes, std::size_t count);
    // The text and its terminating zero.
    bool writeText(const char* text);
    bool fill(std::uint8_t value, std::size_t count);
    bool seek(std::size_t position);

    std::size_t position() const { return position_; }
    std::size_t capacity() const { return capacity_; }
    bool ok() const { return ok_; }

private:
    std::uint8_t* take(std::size_t count);

    std::uint8_t* data_;
    std::size_t capacity_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace sdk
