#pragma once

// The maker's USB vendor identifier and the cameras the SDK accepts. The simulator publishes
// its cameras from the same table, so host and simulated device always agree.

#include <cstddef>
#include <cstdint>

namespace sdk {

constexpr std::uint16_t kVendorId = 0x2E4B;

// Bit of the type code that marks a camera imaging both eyes.
constexpr std::int32_t kBinocularTypeBit = 0x00010000;

struct ProductEntry {
    std::uint16_t productId;
    const char* modelName;  // at most 63 characters
    std::int32_t typeCode;  // bits 24-31: device family; bit 16: binocular; the rest zero
};

constexpr std::size_t kProductCount = 8;
extern const ProductEntry kProducts[kProductCount];

// The entry of an accepted product identifier, or null.
const ProductEntry* findProduct(std::uint16_t productId);

// The first product of the table with the given kind of optics.
const ProductEntry& defaultProduct(bool binocular);

inline bool isBinocularType(std::int32_t typeCode) {
    return (typeCode & kBinocularTypeBit) != 0;
}

}  // namespace sdk
