#include "simulator/IrisMatcher.h"

#include <algorithm>
#include <cstdint>

namespace ocusim {

namespace {

// One row of a code: 256 cells of two bits in eight 64-bit words, cell c at bits 2c and 2c+1.
constexpr int kWordsPerRow = IrisCode::kColumns * 2 / 64;
constexpr int kBitsPerRow = IrisCode::kColumns * 2;

struct PackedCode {
    std::uint64_t bits[IrisCode::kRows][kWordsPerRow] = {};
    std::uint64_t mask[IrisCode::kRows][kWordsPerRow] = {};
};

void packCells(const std::vector<std::uint8_t>& cells,
               std::uint64_t (&rows)[IrisCode::kRows][kWordsPerRow]) {
    for (int row = 0; row < IrisCode::kRows; ++row) {
        for (int column = 0; column < IrisCode::kColumns; ++column) {
            const std::uint64_t value = cells[row * IrisCode::kColumns + column] & 3u;
            rows[row][column / 32] |= value << (2 * (column % 32));
        }
    }
}

// out bit i = in bit (i + shift) mod kBitsPerRow.
void rotateRow(const std::uint64_t (&in)[kWordsPerRow], int shift,
               std::uint64_t (&out)[kWordsPerRow]) {
    const int words = shift / 64;
    const int bits = shift % 64;
    for (int k = 0; k < kWordsPerRow; ++k) {
        const std::uint64_t low = in[(k + words) % kWordsPerRow];
        const std::uint64_t high = in[(k + words + 1) % kWordsPerRow];
        out[k] = bits == 0 ? low : (low >> bits) | (high << (64 - bits));
    }
}

}  // namespace

float IrisMatcher::hammingDistance(const IrisCode& a, const IrisCode& b) {
    if (a.bits.size() != IrisCode::kCells || a.mask.size() != IrisCode::kCells ||
        b.bits.size() != IrisCode::kCells || b.mask.size() != IrisCode::kCells) {
        return 0.5f;
    }
    PackedCode left;
    PackedCode right;
    packCells(a.bits, left.bits);
    packCells(a.mask, left.mask);
    packCells(b.bits, right.bits);
    packCells(b.mask, right.mask);

    float best = 0.5f;
    bool any = false;
    for (int shift = -kMaxShift; shift <= kMaxShift; ++shift) {
        const int bitShift = ((shift * 2) % kBitsPerRow + kBitsPerRow) % kBitsPerRow;
        int common = 0;
        int differing = 0;
        for (int row = 0; row < IrisCode::kRows; ++row) {
            std::uint64_t bits[kWordsPerRow];
            std::uint64_t mask[kWordsPerRow];
            rotateRow(right.bits[row], bitShift, bits);
            rotateRow(right.mask[row], bitShift, mask);
            for (int k = 0; k < kWordsPerRow; ++k) {
                const std::uint64_t usable = left.mask[row][k] & mask[k];
                common += __builtin_popcountll(usable);
                differing += __builtin_popcountll((left.bits[row][k] ^ bits[k]) & usable);
            }
        }
        if (common < kMinCommonBits) {
            continue;
        }
        const float fraction = static_cast<float>(differing) / common;
        if (!any || fraction < best) {
            best = fraction;
            any = true;
        }
    }
    return any ? best : 0.5f;
}

float IrisMatcher::distanceFromHamming(float hamming) {
    return std::clamp(kDistancePerHamming * hamming, 0.0f, kMaxDistance);
}

float IrisMatcher::distance(const IrisCode& a, const IrisCode& b) {
    return distanceFromHamming(hammingDistance(a, b));
}

}  // namespace ocusim
