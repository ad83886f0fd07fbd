#include "sdk/SdkVersion.h"

#include <cstdio>
#include <cstring>

namespace sdk {

namespace {

constexpr int kMajor = 3;
constexpr int kMinor = 3;
constexpr int kRevision = 0;
constexpr const char* kSecondLine =
    "Device SDK for Tavisor iris cameras over USB and serial lines.";

}  // namespace

std::uint32_t sdkGetVersion() {
    return static_cast<std::uint32_t>(kMajor) << 24 | static_cast<std::uint32_t>(kMinor) << 16 |
           static_cast<std::uint32_t>(kRevision) << 8;
}

CamxStatus sdkGetVersionString(char* text, std::uint32_t* size) {
    if (text == nullptr || size == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    char version[160];
    const int length = std::snprintf(version, sizeof version, "Tavisor SDK version %d.%d.%d.\n%s",
                                     kMajor, kMinor, kRevision, kSecondLine);
    const std::uint32_t needed = static_cast<std::uint32_t>(length) + 1;
    if (*size < needed) {
        *size = needed;
        return CAMX_NOT_ENOUGH_BUFFER;
    }
    std::memcpy(text, version, needed);
    *size = static_cast<std::uint32_t>(length);
    return CAMX_OK;
}

}  // namespace sdk
