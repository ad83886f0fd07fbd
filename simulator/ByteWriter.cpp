#include "simulator/ByteWriter.h"

#include <cstring>

namespace ocusim {

void ByteWriter::u16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::u32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void ByteWriter::f32(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    u32(bits);
}

void ByteWriter::u16be(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(value));
}

void ByteWriter::u32be(std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void ByteWriter::bytes(const std::uint8_t* data, std::size_t count) {
    if (count > 0) {
        bytes_.insert(bytes_.end(), data, data + count);
    }
}

void ByteWriter::cstring(const std::string& text) {
    bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    u8(0);
}

void ByteWriter::paddedText(const std::string& text, std::size_t width) {
    const std::size_t used = text.size() < width ? text.size() : width;
    bytes(reinterpret_cast<const std::uint8_t*>(text.data()), used);
    fill(0, width - used);
}

void ByteWriter::patchU32be(std::size_t offset, std::uint32_t value) {
    if (offset + 4 > bytes_.size()) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        bytes_[offset + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

}  // namespace ocusim
