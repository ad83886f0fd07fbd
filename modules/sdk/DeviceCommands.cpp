#include "sdk/DeviceCommands.h"

#include <algorithm>
#include <cstring>

#include "sdk/ByteReader.h"
#include "sdk/CommandCode.h"
#include "sdk/Exchange.h"
#include "sdk/ProductTable.h"

namespace sdk {

namespace {

// Reads a 32-bit length and skips that many bytes.
bool skipCounted(ByteReader& reader) {
    std::uint32_t length = 0;
    return reader.readU32(&length) && reader.skip(length);
}

}  // namespace

CamxStatus readProductId(DeviceLink& link, std::uint16_t* productId) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    const CamxStatus status = exchange(link, command::kProductId, 0, 4);
    if (status != CAMX_OK) {
        return status;
    }
    ByteReader results = replyResults(link);
    results.skip(2);
    return results.readU16(productId) ? CAMX_OK : CAMX_DEVICE_IO_DATA_INVALID;
}

CamxStatus readFirmwareVersion(DeviceLink& link, std::uint32_t* first, std::uint32_t* second) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *first = 0;
    *second = 0;
    if (link.transport == nullptr || !link.transport->isOpen()) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    if (link.kind == LinkKind::Usb) {
        return link.transport->firmwareVersion(first, second);
    }
    const CamxStatus status = exchange(link, command::kFirmwareVersion, 0, 4);
    if (status != CAMX_OK) {
        return status;
    }
    ByteReader results = replyResults(link);
    results.readU32(first);
    if (results.remaining() > 0 && !results.readU32(second)) {
        return CAMX_DEVICE_IO_DATA_INVALID;  // a second word cut short
    }
    return CAMX_OK;
}

void resetAtOpen(DeviceLink& link) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    {
        ScopedTimeout timeout(link, kResetAtOpenTimeoutMs);
        exchange(link, command::kStopCapture, 0, 0);
        commandParameters(link).writeU8(0);
        exchange(link, command::kEyeOption, 1, 0);
        exchange(link, command::kResetAtOpen, 0, 0);
    }
    if (link.transport != nullptr) {
        link.transport->setTimeout(kAfterResetTimeoutMs);
    }
}

CamxStatus sendDeviceState(DeviceLink& link, std::uint8_t kind, std::uint8_t value,
                           std::uint32_t durationMs) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    ByteWriter parameters = commandParameters(link);
    parameters.writeU8(static_cast<std::uint8_t>(kind - 2));
    parameters.writeU8(value);
    parameters.writeU32(durationMs);
    return exchange(link, command::kDeviceState, 6, 0);
}

CamxStatus decodeDeviceInfo(const std::uint8_t* data, std::size_t size, DeviceInfo* info) {
    ByteReader reader(data, size);
    std::uint32_t serialLength = 0;
    const std::uint8_t* serial = nullptr;
    if (!skipCounted(reader) || !reader.readU32(&serialLength) ||
        !reader.readBytes(serialLength, &serial) || !reader.skip(2) || !reader.skip(8) ||
        !skipCounted(reader) || !reader.skip(8) || !skipCounted(reader) || !reader.skip(8)) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    std::uint32_t kernelVersion = 0;
    std::uint32_t kernelRevision = 0;
    std::uint32_t features = 0;
    if (!reader.readU32(&kernelVersion) || !reader.readU32(&kernelRevision) ||
        !reader.readU32(&features)) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    const std::size_t kept = std::min<std::size_t>(serialLength, sizeof info->serialNumber - 1);
    std::memset(info->serialNumber, 0, sizeof info->serialNumber);
    if (kept > 0) {
        std::memcpy(info->serialNumber, serial, kept);
    }
    info->kernelVersion = kernelVersion;
    info->kernelRevision = kernelRevision;
    info->features = features;
    return CAMX_OK;
}

CamxStatus readDeviceInfo(DeviceLink& link, std::uint16_t productId, DataBuffer& buffer,
                          DeviceInfo* info) {
    const ProductEntry* product = findProduct(productId);
    if (product == nullptr) {
        return CAMX_UNKNOWN_DEVICE;
    }
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    std::uint32_t size = 0;
    const CamxStatus status = exchangeDataIn(link, command::kDeviceInfo, 0, 4, buffer, &size);
    if (status != CAMX_OK) {
        return status;
    }
    DeviceInfo decoded;
    const CamxStatus parsed = decodeDeviceInfo(buffer.data(), size, &decoded);
    if (parsed != CAMX_OK) {
        return parsed;
    }
    decoded.productId = productId;
    std::strncpy(decoded.modelName, product->modelName, sizeof decoded.modelName - 1);
    decoded.typeCode = product->typeCode;
    decoded.binocular = isBinocularType(product->typeCode) ? 1 : 0;
    *info = decoded;
    return CAMX_OK;
}

}  // namespace sdk
