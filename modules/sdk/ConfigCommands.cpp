#include "sdk/ConfigCommands.h"

#include "sdk/ByteReader.h"
#include "sdk/ByteWriter.h"
#include "sdk/CommandCode.h"
#include "sdk/Exchange.h"

namespace sdk {

namespace {

constexpr std::uint8_t kField9Usb = 2;
constexpr std::uint8_t kField9Serial = 6;

bool isFlag(std::uint8_t value) {
    return value <= 1;
}

// Written so that NaN is outside as well.
bool inOpenZeroTwo(float value) {
    return value > 0.0f && value < 2.0f;
}

bool inZeroOne(float value) {
    return value > 0.0f && value <= 1.0f;
}

bool isPowerOfTwoUpTo16(std::uint8_t value) {
    return value == 1 || value == 2 || value == 4 || value == 8 || value == 16;
}

}  // namespace

std::size_t cameraConfigSize(std::uint32_t firmwareVersion) {
    return firmwareVersion >= kFirmwareExtendedLayouts ? kConfigSizeExtended : kConfigSizeShort;
}

CamxStatus validateCameraConfig(const CameraConfig& config, std::uint32_t firmwareVersion,
                                LinkKind kind) {
    const std::uint8_t field9 = kind == LinkKind::Usb ? kField9Usb : kField9Serial;
    bool valid = isFlag(config.field1) && isFlag(config.deduplicateOnEnroll) &&
                 inOpenZeroTwo(config.imposterThreshold) && inOpenZeroTwo(config.field4) &&
                 isFlag(config.field5) && isFlag(config.field6) && isFlag(config.field7) &&
                 isPowerOfTwoUpTo16(config.field8) && config.field9 == field9 &&
                 config.field10 >= 1 && config.field10 <= 100;
    if (firmwareVersion >= kFirmwareExtendedLayouts) {
        valid = valid && isFlag(config.field12) &&
                (config.field13 == 0 || (inZeroOne(config.field14) && inZeroOne(config.field15)));
    }
    if (firmwareVersion >= kFirmwareWakeUp) {
        valid = valid && (config.field17 == 1 || config.field17 == 2 || config.field17 == 4) &&
                !(config.field18 >= 1 && config.field18 <= 9);
    }
    return valid ? CAMX_OK : CAMX_INVALID_PARAMETER;
}

std::size_t encodeCameraConfig(const CameraConfig& config, std::uint32_t firmwareVersion,
                               std::uint8_t* out) {
    const std::size_t size = cameraConfigSize(firmwareVersion);
    ByteWriter writer(out, size);
    writer.writeU8(config.field1);
    writer.writeU8(config.deduplicateOnEnroll);
    writer.writeF32(config.imposterThreshold);
    writer.writeF32(config.field4);
    writer.writeU8(config.field5);
    writer.writeU8(config.field6);
    writer.writeU8(config.field7);
    writer.writeU8(config.field8);
    writer.writeU8(config.field9);
    writer.writeU8(config.field10);
    writer.writeU32(config.field11);
    if (size == kConfigSizeExtended) {
        writer.writeU8(config.field12);
        writer.writeU8(config.field13);
        writer.writeF32(config.field14);
        writer.writeF32(config.field15);
        writer.writeU8(config.field16);
        writer.writeU8(config.field17);
        writer.writeU16(config.field18);
        writer.fill(0, 12);  // the reserved words always go out as zero
    }
    return size;
}

CamxStatus decodeCameraConfig(const std::uint8_t* data, std::size_t size,
                              std::uint32_t firmwareVersion, CameraConfig* config) {
    const std::size_t expected = cameraConfigSize(firmwareVersion);
    if (size < expected) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    ByteReader reader(data, expected);
    CameraConfig decoded;
    reader.readU8(&decoded.field1);
    reader.readU8(&decoded.deduplicateOnEnroll);
    reader.readF32(&decoded.imposterThreshold);
    reader.readF32(&decoded.field4);
    reader.readU8(&decoded.field5);
    reader.readU8(&decoded.field6);
    reader.readU8(&decoded.field7);
    reader.readU8(&decoded.field8);
    reader.readU8(&decoded.field9);
    reader.readU8(&decoded.field10);
    reader.readU32(&decoded.field11);
    if (expected == kConfigSizeExtended) {
        reader.readU8(&decoded.field12);
        reader.readU8(&decoded.field13);
        reader.readF32(&decoded.field14);
        reader.readF32(&decoded.field15);
        reader.readU8(&decoded.field16);
        if (firmwareVersion >= kFirmwareWakeUp) {
            reader.readU8(&decoded.field17);
            reader.readU16(&decoded.field18);
        } else {
            reader.seek(30);  // earlier firmware keeps its reserved words from offset 30
        }
        for (std::uint32_t& word : decoded.reserved) {
            reader.readU32(&word);
        }
    }
    if (!reader.ok()) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    *config = decoded;
    return CAMX_OK;
}

CamxStatus readCameraConfig(DeviceLink& link, DataBuffer& buffer, CameraConfig* config) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    std::uint32_t size = 0;
    const CamxStatus status = exchangeDataIn(link, command::kReadCameraConfig, 0, 4, buffer, &size);
    if (status != CAMX_OK) {
        return status;
    }
    return decodeCameraConfig(buffer.data(), size, link.firmwareVersion, config);
}

CamxStatus writeCameraConfig(DeviceLink& link, const CameraConfig& config) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    const CamxStatus valid = validateCameraConfig(config, link.firmwareVersion, link.kind);
    if (valid != CAMX_OK) {
        return valid;
    }
    std::uint8_t data[kConfigSizeExtended] = {};
    const std::size_t size = encodeCameraConfig(config, link.firmwareVersion, data);
    commandParameters(link).writeU32(static_cast<std::uint32_t>(size));
    return exchangeDataOut(link, command::kWriteCameraConfig, 4, 0, data,
                           static_cast<std::uint32_t>(size));
}

}  // namespace sdk
