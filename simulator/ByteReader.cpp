#include "simulator/ByteReader.h"

#include <cstring>

namespace ocusim {

bool ByteReader::take(std::size_t count) {
    if (!ok_ || count > size_ - position_) {
        ok_ = false;
        return false;
    }
    return true;
}

std::uint8_t ByteReader::u8() {
    if (!take(1)) {
        return 0;
    }
    return data_[position_++];
}

std::uint16_t ByteReader::u16() {
    if (!take(2)) {
        return 0;
    }
    const std::uint8_t* p = data_ + position_;
    position_ += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ByteReader::u32() {
    if (!take(4)) {
        return 0;
    }
    const std::uint8_t* p = data_ + position_;
    position_ += 4;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

float ByteReader::f32() {
    const std::uint32_t bits = u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const std::uint8_t* ByteReader::bytes(std::size_t count) {
    if (!take(count)) {
        return nullptr;
    }
    const std::uint8_t* p = data_ + position_;
    position_ += count;
    return p;
}

}  // namespace ocusim
