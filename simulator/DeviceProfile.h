#pragma once

#include <cstdint>
#include <string>

#include "simulator/SimOptions.h"

namespace ocusim {

enum class LinkKind { Usb, Serial };

// Who the simulated camera is: its identifiers, firmware and optics, fixed for its lifetime.
struct DeviceProfile {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string modelName;
    bool binocular = false;
    std::uint32_t firmware = 0;        // the version word the camera reports first
    std::uint32_t secondFirmware = 0;  // reported besides it on firmware 0x30017 only
    std::uint32_t driverVersion = 0;
    std::string serialNumber;
    LinkKind link = LinkKind::Usb;

    static DeviceProfile fromOptions(const SimOptions& options);

    // The version that governs behaviour: the second word on firmware 0x30017, when it is set.
    std::uint32_t effectiveFirmware() const;
    // Firmware 0x2001C and later: 46-byte configuration and the newer parameter layouts.
    bool newLayouts() const { return effectiveFirmware() >= 0x2001C; }
    // Firmware 0x40000 and later: configuration fields 17 and 18, dozing and wake-up.
    bool dozes() const { return effectiveFirmware() >= 0x40000; }
    bool hasSecondFirmware() const { return firmware == 0x30017; }
};

// "4.0.3" for 0x40003: major in the high 16 bits, then minor and patch bytes.
std::string firmwareText(std::uint32_t version);

}  // namespace ocusim
