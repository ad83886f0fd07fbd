#pragma once

// A byte area with a capacity and a used length, grown on demand and never shrunk. The SDK
// device owns one per purpose (list, template, stream, result images, general data); replies
// are read straight into them and handed out as views that stay valid until the next call.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace sdk {

class DataBuffer {
public:
    DataBuffer() = default;
    DataBuffer(const DataBuffer&) = delete;
    DataBuffer& operator=(const DataBuffer&) = delete;

    // Makes the capacity at least `capacity`, keeping the used bytes. False when the memory
    // cannot be had; the buffer is then unchanged.
    bool reserve(std::size_t capacity);

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t capacity() const { return capacity_; }
    std::size_t length() const { return length_; }
    // Sets the used length, at most the capacity.
    void setLength(std::size_t length) { length_ = length < capacity_ ? length : capacity_; }

private:
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::size_t capacity_ = 0;
    std::size_t length_ = 0;
};

}  // namespace sdk
