#include "sdk/ImageRecord.h"

#include <cstring>

#include "sdk/ByteReader.h"

namespace sdk {

CamxStatus decodeImageRecord(const DataBlock& record, std::uint8_t* out, std::size_t outCapacity,
                             ImageInfo* info) {
    if (record.data == nullptr || info == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    ByteReader reader(record.data, record.size);
    std::uint8_t form = 0;
    if (!reader.readU8(&form)) {
        return CAMX_IMAGE_CORRUPTED;
    }
    const bool longForm = form == kImageRecordLongForm;
    std::uint8_t kind = form;
    if (longForm) {
        std::uint32_t version = 0;
        if (!reader.readU32(&version)) {
            return CAMX_IMAGE_CORRUPTED;
        }
        if (version > kImageRecordMaxVersion) {
            return CAMX_ALG_VERSION_INVALID;
        }
        if (!reader.readU8(&kind)) {
            return CAMX_IMAGE_CORRUPTED;
        }
    }
    if (kind >= 3) {
        return CAMX_IMAGE_CORRUPTED;
    }
    std::uint16_t value = 0;
    std::uint32_t attached = 0;
    if (!reader.readU16(&value) || !reader.readU32(&attached) || !reader.skip(attached)) {
        return CAMX_IMAGE_CORRUPTED;
    }
    std::uint16_t kindCode = 0;
    std::uint16_t format = 0;
    if (longForm && (!reader.readU16(&kindCode) || !reader.readU16(&format))) {
        return CAMX_IMAGE_CORRUPTED;
    }
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    if (!reader.readU32(&first) || !reader.readU32(&second) ||
        (longForm && !reader.skip(kImageRecordLongGap))) {
        return CAMX_IMAGE_CORRUPTED;
    }
    const bool raw = longForm && format == kFormatRaw;
    const std::uint64_t imageSize = raw ? static_cast<std::uint64_t>(first) * second : first;
    if (imageSize > reader.remaining()) {
        return CAMX_IMAGE_CORRUPTED;
    }

    ImageInfo decoded;
    decoded.kind = static_cast<std::uint8_t>(kindCode & 0xFF);
    decoded.format = static_cast<std::uint8_t>(format & 0xFF);
    decoded.width = raw ? first : 0;
    decoded.height = raw ? second : 0;
    decoded.size = static_cast<std::uint32_t>(imageSize);
    if (out != nullptr) {
        if (outCapacity < imageSize) {
            return CAMX_NOT_ENOUGH_BUFFER;
        }
        if (imageSize > 0) {
            std::memcpy(out, reader.current(), static_cast<std::size_t>(imageSize));
        }
        decoded.data = out;
    }
    *info = decoded;
    return CAMX_OK;
}

}  // namespace sdk
