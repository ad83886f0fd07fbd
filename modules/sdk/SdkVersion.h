#pragma once

#include <cstdint>

#include "sdk/SdkStatus.h"

namespace sdk {

// 0x03030000: major version in the top byte, then minor, then revision.
std::uint32_t sdkGetVersion();

// Copies the version text ("Tavisor SDK version 3.3.0." and a second line) with its terminator
// into `text`. `size` gives the buffer's size; on success it receives the text's length without
// the terminator. 15 for a null pointer; 17 when the buffer is too small, `size` then telling
// the size needed.
CamxStatus sdkGetVersionString(char* text, std::uint32_t* size);

}  // namespace sdk
