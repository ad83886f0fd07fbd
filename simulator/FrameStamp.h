#pragma once

#include <chrono>
#include <cstdint>

#include "simulator/GreyImage.h"

namespace ocusim {

// Writes `value`'s low kFrameStampBits bits into the top left of a frame, most significant
// first, one 8 x 8 block per bit (white for 1, black for 0): blocks aligned with JPEG's survive
// any quality, so a client can read the value back from the preview it receives. The
// benchmarks stamp each live frame with the moment it is handed out.
constexpr int kFrameStampBits = 48;
constexpr int kFrameStampBlock = 8;

void stampFrame(GreyImage& frame, std::uint64_t value);

// Microseconds of the steady clock (CLOCK_MONOTONIC on Linux, which other processes read too).
std::uint64_t steadyMicroseconds(std::chrono::steady_clock::time_point when);

}  // namespace ocusim
