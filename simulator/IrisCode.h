#pragma once

#include <cstdint>
#include <vector>

namespace ocusim {

// The phase code of an iris: for each cell of a polar grid (rows from pupil to limbus, columns
// around the eye) two bits, the signs of the real and imaginary parts of a Gabor response, and a
// mask saying which of those bits are trustworthy (not covered by lids, lashes or reflections,
// and not too weak to survive noise).
struct IrisCode {
    static constexpr int kRows = 16;
    static constexpr int kColumns = 256;
    static constexpr int kCells = kRows * kColumns;
    static constexpr std::size_t kPackedBytes = kCells * 2 / 8;

    std::vector<std::uint8_t> bits = std::vector<std::uint8_t>(kCells, 0);  // bit 0 real, 1 imag
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(kCells, 0);  // same bits: usable

    // Packed form: two bits per cell, four cells per byte, row by row.
    std::vector<std::uint8_t> packBits() const;
    std::vector<std::uint8_t> packMask() const;
    // Restores from the packed forms; false when either has the wrong size.
    bool unpack(const std::uint8_t* packedBits, const std::uint8_t* packedMask, std::size_t size);
};

}  // namespace ocusim
