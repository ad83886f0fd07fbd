#pragma once

#include <cstdint>

namespace sdk {

// What the device-information command tells about the camera, completed from the product
// table (model name, type code, binocular flag).
struct DeviceInfo {
    std::uint32_t productId = 0;
    char modelName[64] = {};
    std::uint8_t binocular = 0;  // 1 when the camera images both eyes
    char serialNumber[17] = {};  // at most 16 characters
    std::int32_t typeCode = -1;  // bits 24-31 device family, bit 16 binocular
    std::uint32_t kernelVersion = 0;
    std::uint32_t kernelRevision = 0;
    std::uint32_t features = 0;
};

}  // namespace sdk
