#pragma once

#include <cstdint>

namespace sdk {

// A block of bytes passed to or handed out by the SDK: a byte count and a pointer. Blocks
// handed out point into the device's buffers and stay valid until the next call on that
// device.
struct DataBlock {
    std::uint32_t size = 0;
    const std::uint8_t* data = nullptr;
};

}  // namespace sdk
