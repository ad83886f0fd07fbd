#pragma once

#include <cstdint>

namespace sdk {

// The camera's capture configuration, in the order of its configuration data. Only
// `deduplicateOnEnroll` and `imposterThreshold` have a meaning the service relies on; the other
// fields are carried as the camera reports them. Ranges are those checked before writing.
struct CameraConfig {
    std::uint8_t field1 = 0;               // 0 or 1
    std::uint8_t deduplicateOnEnroll = 0;  // 0 or 1
    float imposterThreshold = 0;           // 0 < x < 2
    float field4 = 0;                      // 0 < x < 2
    std::uint8_t field5 = 0;               // 0 or 1
    std::uint8_t field6 = 0;               // 0 or 1
    std::uint8_t field7 = 0;               // 0 or 1
    std::uint8_t field8 = 0;               // 1, 2, 4, 8 or 16
    std::uint8_t field9 = 0;               // 2 on USB, 6 on a serial line
    std::uint8_t field10 = 0;              // 1..100
    std::uint32_t field11 = 0;
    std::uint8_t field12 = 0;  // 0 or 1 (firmware 0x2001C and later)
    std::uint8_t field13 = 0;  // when set, field14 and field15 lie in (0, 1]
    float field14 = 0;
    float field15 = 0;
    std::uint8_t field16 = 0;
    std::uint8_t field17 = 2;               // 1, 2 or 4 (firmware 0x40000 and later; 2 before)
    std::uint16_t field18 = 0;              // firmware 0x40000 and later; 0 before
    std::uint32_t reserved[3] = {0, 0, 0};  // sent as zero
};

}  // namespace sdk
