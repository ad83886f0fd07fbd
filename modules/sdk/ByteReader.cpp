#include "sdk/ByteReader.h"

#include <cstring>

namespace sdk {

bool ByteReader::take(std::size_t count, const std::uint8_t** at) {
    if (count > size_ - position_) {
        ok_ = false;
        return false;
    }
    *at = data_ + position_;
    position_ += count;
    return true;
}

bool ByteReader::readU8(std::uint8_t* value) {
    const std::uint8_t* at = nullptr;
    if (!take(1, &at)) {
        return false;
    }
    *value = at[0];
    return true;
}

bool ByteReader::readU16(std::uint16_t* value) {
    const std::uint8_t* at = nullptr;
    if (!take(2, &at)) {
        return false;
    }
    *value = static_cast<std::uint16_t>(at[0] | at[1] << 8);
    return true;
}

bool ByteReader::readU32(std::uint32_t* value) {
    const std::uint8_t* at = nullptr;
    if (!take(4, &at)) {
        return false;
    }
    *value = static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
             static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
    return true;
}

bool ByteReader::readI32(std::int32_t* value) {
    std::uint32_t bits = 0;
    if (!readU32(&bits)) {
        return false;
    }
    *value = static_cast<std::int32_t>(bits);
    return true;
}

bool ByteReader::readF32(float* value) {
    std::uint32_t bits = 0;
    if (!readU32(&bits)) {
        return false;
    }
    std::memcpy(value, &bits, sizeof bits);
    return true;
}

bool ByteReader::readBytes(std::size_t count, const std::uint8_t** bytes) {
    return take(count, bytes);
}

bool ByteReader::skip(std::size_t count) {
    const std::uint8_t* at = nullptr;
    return take(count, &at);
}

bool ByteReader::seek(std::size_t position) {
    if (position > size_) {
        ok_ = false;
        return false;
    }
    position_ = position;
    return true;
}

}  // namespace sdk
