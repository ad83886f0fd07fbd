#pragma once

// The open devices of the process: two slots, each with the USB identifiers, the device path
// and the device. A slot owns its device; calls in progress and a running capture thread hold
// further references (shared ownership), so a device closed by one thread is freed only when
// the last of them lets go, never under a call that still uses it.
//
// Not locked itself: the SDK's process state guards it with its mutex.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sdk {

class SdkDevice;
class ScanList;

constexpr std::size_t kRegistrySlots = 2;

struct RegistrySlot {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string path;
    std::shared_ptr<SdkDevice> device;
};

class DeviceRegistry {
public:
    // The device a handle names; null for a null, all-ones or unregistered handle.
    std::shared_ptr<SdkDevice> find(const SdkDevice* handle) const;
    // The device open on `path` (case-insensitive), or null.
    std::shared_ptr<SdkDevice> findPath(const std::string& path) const;
    // Puts the device into a free slot; false when both are taken.
    bool add(const std::string& path, std::uint16_t vendorId, std::uint16_t productId,
             std::shared_ptr<SdkDevice> device);
    // Empties the slot of `handle` and hands its device over (null when not registered).
    std::shared_ptr<SdkDevice> remove(const SdkDevice* handle);
    // Empties every slot and hands the devices over.
    std::vector<std::shared_ptr<SdkDevice>> removeAll();
    // Empties the slots whose path is not among the scan's entries and hands their devices over.
    std::vector<std::shared_ptr<SdkDevice>> removeUnlisted(const ScanList& scan);

private:
    std::array<RegistrySlot, kRegistrySlots> slots_;
};

}  // namespace sdk
