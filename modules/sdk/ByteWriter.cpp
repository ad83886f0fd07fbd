#include "sdk/ByteWriter.h"

#include <cstring>

namespace sdk {

std::uint8_t* ByteWriter::take(std::size_t count) {
    if (count > capacity_ - position_) {
        ok_ = false;
        return nullptr;
    }
    std::uint8_t* at = data_ + position_;
    position_ += count;
    return at;
}

bool ByteWriter::writeU8(std::uint8_t value) {
    std::uint8_t* at = take(1);
    if (at == nullptr) {
        return false;
    }
    at[0] = value;
    return true;
}

bool ByteWriter::writeU16(std::uint16_t value) {
    std::uint8_t* at = take(2);
    if (at == nullptr) {
        return false;
    }
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    return true;
}

bool ByteWriter::writeU32(std::uint32_t value) {
    std::uint8_t* at = take(4);
    if (at == nullptr) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return true;
}

bool ByteWriter::writeF32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return writeU32(bits);
}

bool ByteWriter::writeBytes(const void* bytes, std::size_t count) {
    std::uint8_t* at = take(count);
    if (at == nullptr) {
        return false;
    }
    if (count > 0) {
        std::memcpy(at, bytes, count);
    }
    return true;
}

bool ByteWriter::writeText(const char* text) {
    return writeBytes(text, std::strlen(text) + 1);
}

bool ByteWriter::fill(std::uint8_t value, std::size_t count) {
    std::uint8_t* at = take(count);
    if (at == nullptr) {
        return false;
    }
    std::memset(at, value, count);
    return true;
}

bool ByteWriter::seek(std::size_t position) {
    if (position > capacity_) {
        ok_ = false;
        return false;
    }
    position_ = position;
    return true;
}

}  // namespace sdk
