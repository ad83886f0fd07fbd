#include "sdk/DeviceRegistry.h"

#include <cstdint>

#include "sdk/ScanList.h"

namespace sdk {

namespace {

bool isAllOnes(const SdkDevice* handle) {
    return reinterpret_cast<std::uintptr_t>(handle) == ~static_cast<std::uintptr_t>(0);
}

}  // namespace

std::shared_ptr<SdkDevice> DeviceRegistry::find(const SdkDevice* handle) const {
    if (handle == nullptr || isAllOnes(handle)) {
        return nullptr;
    }
    for (const RegistrySlot& slot : slots_) {
        if (slot.device.get() == handle) {
            return slot.device;
        }
    }
    return nullptr;
}

std::shared_ptr<SdkDevice> DeviceRegistry::findPath(const std::string& path) const {
    for (const RegistrySlot& slot : slots_) {
        if (slot.device && equalsIgnoringCase(slot.path, path)) {
            return slot.device;
        }
    }
    return nullptr;
}

bool DeviceRegistry::add(const std::string& path, std::uint16_t vendorId, std::uint16_t productId,
                         std::shared_ptr<SdkDevice> device) {
    for (RegistrySlot& slot : slots_) {
        if (!slot.device) {
            slot.vendorId = vendorId;
            slot.productId = productId;
            slot.path = path;
            slot.device = std::move(device);
            return true;
        }
    }
    return false;
}

std::shared_ptr<SdkDevice> DeviceRegistry::remove(const SdkDevice* handle) {
    for (RegistrySlot& slot : slots_) {
        if (slot.device && slot.device.get() == handle) {
            std::shared_ptr<SdkDevice> device = std::move(slot.device);
            slot = RegistrySlot();
            return device;
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<SdkDevice>> DeviceRegistry::removeAll() {
    std::vector<std::shared_ptr<SdkDevice>> removed;
    for (RegistrySlot& slot : slots_) {
        if (slot.device) {
            removed.push_back(std::move(slot.device));
        }
        slot = RegistrySlot();
    }
    return removed;
}

std::vector<std::shared_ptr<SdkDevice>> DeviceRegistry::removeUnlisted(const ScanList& scan) {
    std::vector<std::shared_ptr<SdkDevice>> removed;
    for (RegistrySlot& slot : slots_) {
        if (slot.device && !scan.containsPath(slot.path)) {
            removed.push_back(std::move(slot.device));
            slot = RegistrySlot();
        }
    }
    return removed;
}

}  // namespace sdk
