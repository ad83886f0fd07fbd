#pragma once

#include <cstddef>
#include <cstdint>

namespace ocusim {

// Reads little- or big-endian values from a byte range it does not own. Every read is bounds
// checked: a read past the end yields zeros and marks the reader failed for good, so a parser
// can read a whole structure and check `ok()` once at the end.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return ok_ ? size_ - position_ : 0; }

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    float f32();

    // Points at the next `count` bytes and moves past them; null (and failed) when fewer remain.
    const std::uint8_t* bytes(std::size_t count);
    void skip(std::size_t count) { bytes(count); }

private:
    bool take(std::size_t count);

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace ocusim
