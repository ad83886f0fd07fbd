#include "sdk/SdkDevices.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/UsbDeviceDirectory.h"
#include "sdk/CCommObj.h"
#include "sdk/DeviceCommands.h"
#include "sdk/ProductTable.h"
#include "sdk/SdkDevice.h"
#include "sdk/SdkState.h"

namespace sdk {

namespace {

using StateLock = std::lock_guard<std::mutex>;

// Rebuilds the scan list from the device directory; the caller holds the state's mutex. The
// devices whose camera vanished are handed back to be closed once the mutex is released.
CamxStatus scanLocked(SdkState& state, std::vector<std::shared_ptr<SdkDevice>>* vanished) {
    state.scanList.clear();
    std::vector<std::string> paths;
    if (platform::listDeviceInterfaces(platform::defaultDeviceDirectory(), paths) !=
        platform::EnumerationResult::Ok) {
        return CAMX_INVALID_HANDLE;
    }
    if (state.scanList.rebuild(paths) == 0) {
        return CAMX_DEVICE_NOT_FOUND;
    }
    *vanished = state.registry.removeUnlisted(state.scanList);
    return CAMX_OK;
}

// The product identifier of a camera on a serial line, which has no device path to tell it.
CamxStatus readSerialProductId(SdkDevice& device, std::uint16_t* productId) {
    std::lock_guard<std::recursive_mutex> lock(device.link.lock);
    return readProductId(device.link, productId);
}

void setIdentity(SdkDevice& device, std::uint16_t productId) {
    std::lock_guard<std::recursive_mutex> lock(device.link.lock);
    device.productId = productId;
    const ProductEntry* product = findProduct(productId);
    device.link.binocular = product != nullptr && isBinocularType(product->typeCode);
}

}  // namespace

bool sdkInit() {
    SdkState& state = sdkState();
    std::vector<std::shared_ptr<SdkDevice>> open;
    {
        StateLock lock(state.mutex);
        state.scanList.clear();
        open = state.registry.removeAll();
    }
    closeRemovedDevices(open);
    return true;
}

CamxStatus sdkGetConfig(SdkConfig* config) {
    if (config == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    SdkState& state = sdkState();
    StateLock lock(state.mutex);
    *config = state.config;
    config->unusedFlag = 0;
    return CAMX_OK;
}

CamxStatus sdkSetConfig(const SdkConfig& config) {
    const CamxStatus valid = validateSdkConfig(config);
    if (valid != CAMX_OK) {
        return valid;
    }
    SdkState& state = sdkState();
    std::vector<std::shared_ptr<SdkDevice>> open;
    {
        StateLock lock(state.mutex);
        if (configChangeClosesDevices(state.config, config)) {
            open = state.registry.removeAll();
            state.scanList.clear();
        }
        state.config = config;
        state.config.unusedFlag = 0;
    }
    closeRemovedDevices(open);
    return CAMX_OK;
}

CamxStatus sdkScanDevices(NameList* names, std::uint32_t* count) {
    SdkState& state = sdkState();
    std::vector<std::shared_ptr<SdkDevice>> vanished;
    CamxStatus status = CAMX_OK;
    {
        StateLock lock(state.mutex);
        if (state.config.connectionKind != kConnectionUsb) {
            return CAMX_UNSUPPORTED_COMMAND;
        }
        if (names == nullptr || count == nullptr) {
            return CAMX_INVALID_PARAMETER;
        }
        *names = nullptr;
        *count = 0;
        status = scanLocked(state, &vanished);
        if (status == CAMX_OK) {
            *names = state.scanList.names();
            *count = static_cast<std::uint32_t>(state.scanList.size());
        }
    }
    closeRemovedDevices(vanished);
    return status;
}

CamxStatus sdkOpenDevice(const char* name, SdkHandle* handle) {
    if (name == nullptr || name[0] == '\0' || handle == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    std::string path(name, strnlen(name, CCommObj::kMaxPathLength));
    SdkState& state = sdkState();
    SdkConfig config;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::vector<std::shared_ptr<SdkDevice>> vanished;
    std::shared_ptr<SdkDevice> alreadyOpen;
    CamxStatus found = CAMX_OK;
    {
        StateLock lock(state.mutex);
        config = state.config;
        if (config.connectionKind == kConnectionUsb) {
            found = state.scanList.empty() ? scanLocked(state, &vanished) : CAMX_OK;
            const int index = found == CAMX_OK ? state.scanList.find(path) : -1;
            if (index >= 0) {
                const ScanEntry& entry = state.scanList.entry(static_cast<std::size_t>(index));
                path = entry.path;
                vendorId = entry.vendorId;
                productId = entry.productId;
            } else if (found == CAMX_OK) {
                found = CAMX_DEVICE_NOT_FOUND;
            }
        }
        if (found == CAMX_OK) {
            alreadyOpen = state.registry.findPath(path);
        }
    }
    closeRemovedDevices(vanished);
    if (found != CAMX_OK) {
        return found;
    }
    if (alreadyOpen) {
        *handle = alreadyOpen.get();
        return CAMX_DEVICE_ALREADY_OPEN;
    }

    const LinkKind kind =
        config.connectionKind == kConnectionSerial ? LinkKind::Serial : LinkKind::Usb;
    std::shared_ptr<SdkDevice> device = SdkDevice::create(kind, config.flowControl != 0);
    if (!device) {
        return CAMX_MEMORY_ALLOCATION_FAILED;
    }
    CamxStatus status = device->open(path, config.baudRate, config.resetOnOpen != 0);
    if (status != CAMX_OK) {
        return status;
    }
    if (kind == LinkKind::Serial) {
        status = readSerialProductId(*device, &productId);
        if (status != CAMX_OK) {
            device->closeLink();
            return status;
        }
    }
    setIdentity(*device, productId);
    bool added = false;
    {
        StateLock lock(state.mutex);
        std::shared_ptr<SdkDevice> open = state.registry.findPath(path);
        if (open) {
            // Opened meanwhile by another thread: that one stays, this one is not needed.
            *handle = open.get();
            status = CAMX_DEVICE_ALREADY_OPEN;
        } else {
            added = state.registry.add(path, vendorId, productId, device);
            status = added ? CAMX_OK : CAMX_TOO_MANY_OPEN_DEVICES;
        }
    }
    if (!added) {
        device->closeLink();
        return status;
    }
    *handle = device.get();
    return CAMX_OK;
}

CamxStatus sdkCloseDevice(SdkHandle handle) {
    SdkState& state = sdkState();
    std::shared_ptr<SdkDevice> device;
    {
        StateLock lock(state.mutex);
        device = state.registry.remove(handle);
    }
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    device->closeLink();
    device->finishCaptureThread();
    return CAMX_OK;
}

CamxStatus sdkCheckHandle(SdkHandle handle) {
    return findDevice(handle) ? CAMX_OK : CAMX_INVALID_HANDLE;
}

}  // namespace sdk
