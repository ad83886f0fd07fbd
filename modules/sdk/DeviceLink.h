#pragma once

// The state the command protocol needs of one open camera: its transport, firmware version,
// optics, the time-out of the next command, and the command and reply blocks. The SDK device
// holds one and passes it to the exchange primitives and command functions.

#include <cstdint>
#include <mutex>

#include "sdk/CCommObj.h"
#include "sdk/ProtocolBlock.h"

namespace sdk {

enum class LinkKind : std::uint32_t { Usb = 1, Serial = 2 };

// Firmware from which the camera's parameter layouts grow (configuration of 46 bytes, compression
// kinds, ISO eye position, identify distance, gallery name flags).
constexpr std::uint32_t kFirmwareExtendedLayouts = 0x2001C;
// Firmware that dozes between commands and must be woken before each one; it also reports
// configuration fields 17 and 18.
constexpr std::uint32_t kFirmwareWakeUp = 0x40000;

struct DeviceLink {
    // Serialises every exchange with the camera. Recursive: the SDK takes it around a whole
    // operation, the primitives take it again for each exchange.
    std::recursive_mutex lock;

    // The following members are guarded by `lock`.
    CCommObj* transport = nullptr;  // not owned; the SDK device owns it
    LinkKind kind = LinkKind::Usb;
    std::uint32_t firmwareVersion = 0;
    bool binocular = false;
    // Time-out applied to the transport before each command; 0 is the transport's default.
    std::uint32_t timeoutMs = 0;
    std::uint8_t commandBlock[kBlockSize] = {};
    std::uint8_t replyBlock[kBlockSize] = {};
    ReplyHeader reply;  // header of the last reply read

    bool extendedLayouts() const { return firmwareVersion >= kFirmwareExtendedLayouts; }
    bool needsWakeUp() const { return firmwareVersion >= kFirmwareWakeUp; }
};

// Sets the link's time-out for the commands of one scope and puts back the default (0) when
// the scope ends.
class ScopedTimeout {
public:
    ScopedTimeout(DeviceLink& link, std::uint32_t milliseconds) : link_(link) {
        link_.timeoutMs = milliseconds;
    }
    ~ScopedTimeout() { link_.timeoutMs = 0; }
    ScopedTimeout(const ScopedTimeout&) = delete;
    ScopedTimeout& operator=(const ScopedTimeout&) = delete;

private:
    DeviceLink& link_;
};

}  // namespace sdk
