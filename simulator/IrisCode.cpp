#include "simulator/IrisCode.h"

namespace ocusim {

namespace {

std::vector<std::uint8_t> pack(const std::vector<std::uint8_t>& cells) {
    std::vector<std::uint8_t> packed(IrisCode::kPackedBytes, 0);
    for (int i = 0; i < IrisCode::kCells; ++i) {
        packed[i / 4] |= static_cast<std::uint8_t>((cells[i] & 3) << (2 * (i % 4)));
    }
    return packed;
}

void unpackInto(const std::uint8_t* packed, std::vector<std::uint8_t>& cells) {
    cells.assign(IrisCode::kCells, 0);
    for (int i = 0; i < IrisCode::kCells; ++i) {
        cells[i] = static_cast<std::uint8_t>((packed[i / 4] >> (2 * (i % 4))) & 3);
    }
}

}  // namespace

std::vector<std::uint8_t> IrisCode::packBits() const {
    return pack(bits);
}

std::vector<std::uint8_t> IrisCode::packMask() const {
    return pack(mask);
}

bool IrisCode::unpack(const std::uint8_t* packedBits, const std::uint8_t* packedMask,
                      std::size_t size) {
    if (size != kPackedBytes) {
        return false;
    }
    unpackInto(packedBits, bits);
    unpackInto(packedMask, mask);
    return true;
}

}  // namespace ocusim
