#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ocusim {

// Appends little- or big-endian values to a byte vector it owns.
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::size_t reserve) { bytes_.reserve(reserve); }

    void u8(std::uint8_t value) { bytes_.push_back(value); }
    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void f32(float value);
    void u16be(std::uint16_t value);
    void u32be(std::uint32_t value);
    void bytes(const std::uint8_t* data, std::size_t count);
    void bytes(const std::vector<std::uint8_t>& data) { bytes(data.data(), data.size()); }
    void fill(std::uint8_t value, std::size_t count) { bytes_.insert(bytes_.end(), count, value); }
    // The text and its terminating NUL.
    void cstring(const std::string& text);
    // The text NUL-padded (or cut) to exactly `width` bytes.
    void paddedText(const std::string& text, std::size_t width);

    // Overwrites four bytes written earlier, e.g. a length known only at the end; an offset
    // past the written bytes changes nothing.
    void patchU32be(std::size_t offset, std::uint32_t value);

    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& data() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace ocusim
