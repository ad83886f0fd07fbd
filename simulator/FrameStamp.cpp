#include "simulator/FrameStamp.h"

namespace ocusim {

void stampFrame(GreyImage& frame, std::uint64_t value) {
    for (int bit = 0; bit < kFrameStampBits; ++bit) {
        const bool set = ((value >> (kFrameStampBits - 1 - bit)) & 1u) != 0;
        const int left = bit * kFrameStampBlock;
        for (int y = 0; y < kFrameStampBlock && y < frame.height; ++y) {
            for (int x = left; x < left + kFrameStampBlock && x < frame.width; ++x) {
                frame.at(x, y) = set ? 255 : 0;
            }
        }
    }
}

std::uint64_t steadyMicroseconds(std::chrono::steady_clock::time_point when) {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count());
}

}  // namespace ocusim
