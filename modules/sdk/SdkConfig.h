#pragma once

#include <cstdint>

#include "sdk/SdkStatus.h"

namespace sdk {

constexpr std::uint32_t kConnectionUsb = 1;
constexpr std::uint32_t kConnectionSerial = 2;
constexpr std::uint32_t kDefaultBaudRate = 115200;
// Serial lines slower than this cannot carry the camera's frames.
constexpr std::uint32_t kMinSerialBaudRate = 56000;

// The SDK's process-wide settings, read and written as a whole.
struct SdkConfig {
    std::uint32_t connectionKind = kConnectionUsb;  // 1 USB, 2 serial line
    std::uint8_t unusedFlag = 0;                    // reported as 0, ignored when written
    std::uint32_t baudRate = kDefaultBaudRate;      // serial lines only
    std::uint32_t flowControl = 0;                  // serial lines: 1 = CTS/RTS handshaking
    std::uint8_t resetOnOpen = 0;                   // 1: stop, eye option 0 and reset at open
};

// 15 for a connection kind other than 1 or 2, for a serial configuration with a baud rate
// below 56000 or a flow-control value other than 0 or 1, and for a reset-on-open value of 2 or
// more.
CamxStatus validateSdkConfig(const SdkConfig& config);

// True when going from `current` to `next` changes the link under the open devices (another
// connection kind, or another baud rate on a serial line): they must all be closed first.
bool configChangeClosesDevices(const SdkConfig& current, const SdkConfig& next);

}  // namespace sdk
