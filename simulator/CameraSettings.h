#pragma once

// The camera's configuration record (commands 0x10C0 read, 0x10C1 write). Little-endian:
//
//   0 u8 field 1          11 u8 field 6     20 u8 field 12 (firmware 0x2001C+; 20 bytes before)
//   1 u8 deduplicate      12 u8 field 7     21 u8 field 13
//   2 f32 imposter thr.   13 u8 field 8     22 f32 field 14
//   6 f32 field 4         14 u8 field 9     26 f32 field 15
//  10 u8 field 5          15 u8 field 10    30 u8 field 16
//                         16 u32 field 11   31 u8 field 17, 32 u16 field 18 (firmware 0x40000+)
//                                           34 three u32 words, zero
//
// The camera uses `deduplicateOnEnroll` and `imposterThreshold` when enrolling, and field 10 as
// the usable iris area (percent) an eye needs to qualify; the other fields are kept as written.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "simulator/DeviceProfile.h"

namespace ocusim {

class CameraSettings {
public:
    CameraSettings(std::uint32_t firmware, LinkKind link);

    // 20 bytes before firmware 0x2001C, 46 from it.
    std::size_t size() const;
    std::vector<std::uint8_t> encode() const;
    // Checks the record as the firmware does and takes it; false leaves the settings unchanged.
    bool apply(const std::uint8_t* data, std::size_t size);

    bool deduplicateOnEnroll() const { return deduplicate_ != 0; }
    float imposterThreshold() const { return imposterThreshold_; }
    std::uint8_t minimumUsableArea() const { return field10_; }

private:
    std::uint32_t firmware_;
    LinkKind link_;
    std::uint8_t field1_ = 1;
    std::uint8_t deduplicate_ = 0;
    float imposterThreshold_ = 1.1f;
    float field4_ = 0.9f;
    std::uint8_t field5_ = 1;
    std::uint8_t field6_ = 1;
    std::uint8_t field7_ = 1;
    std::uint8_t field8_ = 4;
    std::uint8_t field9_;  // 2 on USB, 6 on a serial line
    std::uint8_t field10_ = 40;
    std::uint32_t field11_ = 5000;
    std::uint8_t field12_ = 1;
    std::uint8_t field13_ = 0;
    float field14_ = 0.5f;
    float field15_ = 0.5f;
    std::uint8_t field16_ = 0;
    std::uint8_t field17_ = 2;
    std::uint16_t field18_ = 0;
};

}  // namespace ocusim
