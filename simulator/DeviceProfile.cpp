#include "simulator/DeviceProfile.h"

#include <cstdio>

#include "sdk/ProductTable.h"

namespace ocusim {

DeviceProfile DeviceProfile::fromOptions(const SimOptions& options) {
    DeviceProfile profile;
    profile.binocular = options.binocular;
    profile.vendorId = options.vendorId != 0 ? options.vendorId : sdk::kVendorId;
    const sdk::ProductEntry& fallback = sdk::defaultProduct(options.binocular);
    profile.productId = options.productId != 0 ? options.productId : fallback.productId;
    const sdk::ProductEntry* entry = sdk::findProduct(profile.productId);
    profile.modelName = entry != nullptr ? entry->modelName : "Tavisor camera";
    profile.firmware = options.firmware;
    profile.secondFirmware = options.secondFirmware;
    profile.driverVersion = options.driverVersion;
    profile.serialNumber = options.serialNumber;
    profile.link = options.serial() ? LinkKind::Serial : LinkKind::Usb;
    return profile;
}

std::uint32_t DeviceProfile::effectiveFirmware() const {
    return hasSecondFirmware() && secondFirmware != 0 ? secondFirmware : firmware;
}

std::string firmwareText(std::uint32_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u", version >> 16, (version >> 8) & 0xFF,
                  version & 0xFF);
    return text;
}

}  // namespace ocusim
