#include "simulator/Command.h"

#include <cstring>

#include "simulator/ByteWriter.h"

namespace ocusim {

CommandOutcome CommandOutcome::failure(std::uint32_t status) {
    CommandOutcome outcome;
    outcome.status = static_cast<std::uint16_t>(status);
    return outcome;
}

CommandOutcome CommandOutcome::expectData(std::size_t length) {
    CommandOutcome outcome;
    outcome.dataOutLength = length;
    return outcome;
}

CommandOutcome CommandOutcome::withData(std::vector<std::uint8_t> data, std::uint32_t status) {
    CommandOutcome outcome;
    outcome.status = static_cast<std::uint16_t>(status);
    ByteWriter results;
    results.u32(static_cast<std::uint32_t>(data.size()));
    outcome.results = results.take();
    outcome.data = std::move(data);
    return outcome;
}

std::uint8_t Params::u8(std::size_t offset) const {
    return has(offset, 1) ? bytes_[offset] : 0;
}

std::uint16_t Params::u16(std::size_t offset) const {
    if (!has(offset, 2)) {
        return 0;
    }
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

std::uint32_t Params::u32(std::size_t offset) const {
    if (!has(offset, 4)) {
        return 0;
    }
    return static_cast<std::uint32_t>(bytes_[offset]) |
           (static_cast<std::uint32_t>(bytes_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes_[offset + 3]) << 24);
}

float Params::f32(std::size_t offset) const {
    const std::uint32_t bits = u32(offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool Params::text(std::size_t offset, std::string& out) const {
    if (offset >= bytes_.size()) {
        return false;
    }
    const void* end = std::memchr(bytes_.data() + offset, 0, bytes_.size() - offset);
    if (end == nullptr) {
        return false;
    }
    out.assign(reinterpret_cast<const char*>(bytes_.data() + offset),
               static_cast<const std::uint8_t*>(end) - (bytes_.data() + offset));
    return true;
}

bool isValidUserId(const std::string& id) {
    if (id.empty() || id.size() > 31) {
        return false;
    }
    for (char c : id) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit) {
            return false;
        }
    }
    return true;
}

}  // namespace ocusim
