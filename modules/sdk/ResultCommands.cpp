#include "sdk/ResultCommands.h"

#include "sdk/ByteReader.h"
#include "sdk/ByteWriter.h"
#include "sdk/CommandCode.h"
#include "sdk/Exchange.h"

namespace sdk {

namespace {

constexpr std::uint32_t kMaxResultDataBlock = 64;
constexpr std::uint32_t kMinCompressionRatioValue = 1536;
constexpr std::size_t kIsoExtraBytes = 9;

bool isJpeg2000(std::uint8_t format) {
    return format == kFormatJpeg2000 || format == kFormatJpeg2000Vendor;
}

bool isPercentage(std::uint32_t value) {
    return value >= 1 && value <= 100;
}

// Writes the result-image parameters and returns their count.
std::uint32_t writeResultImageParameters(DeviceLink& link, const ResultImageRequest& request,
                                         const DataBlock* data) {
    ByteWriter writer = commandParameters(link);
    writer.writeU8(request.kind);
    writer.writeU8(request.format);
    std::uint32_t count = 0;
    if (link.extendedLayouts()) {
        writer.writeU8(request.compressionKind);
        writer.writeU32(request.compressionValue);
        count = 8;  // p7 reserved
    } else {
        writer.writeU8(static_cast<std::uint8_t>(request.compressionValue));
        count = 4;  // p3 reserved
    }
    if (data != nullptr) {
        // The block's length follows the parameters, one byte later on binocular cameras.
        writer.seek(count - 1 + (link.binocular ? 1 : 0));
        writer.writeU32(data->size);
        count += 4;
    }
    return count;
}

// One eye's entry of result-image data.
bool decodeEntry(ByteReader& reader, bool withData, const ResultImageRequest& request,
                 ImageInfo* image) {
    ImageInfo entry;
    if (withData) {
        const std::uint8_t* start = reader.current();
        std::uint32_t first = 0;
        std::uint32_t second = 0;
        if (!reader.readU32(&first) || !reader.skip(first) || !reader.readU32(&second) ||
            !reader.skip(second)) {
            return false;
        }
        entry.kind = request.kind;
        entry.format = request.format;
        entry.data = start;
        entry.size = static_cast<std::uint32_t>(reader.current() - start);
        *image = entry;
        return true;
    }
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    if (!reader.readU8(&entry.kind) || !reader.readU8(&entry.format) || !reader.readU32(&first) ||
        !reader.readU32(&second)) {
        return false;
    }
    std::uint64_t size = first;
    if (entry.format == kFormatRaw) {
        entry.width = first;
        entry.height = second;
        size = static_cast<std::uint64_t>(first) * second;
    }
    if (size > reader.remaining() ||
        !reader.readBytes(static_cast<std::size_t>(size), &entry.data)) {
        return false;
    }
    entry.size = static_cast<std::uint32_t>(size);
    *image = entry;
    return true;
}

}  // namespace

CamxStatus checkResultImageRequest(const DeviceLink& link, const ResultImageRequest& request) {
    if (link.extendedLayouts()) {
        if (!isJpeg2000(request.format)) {
            return CAMX_OK;
        }
        switch (request.compressionKind) {
            case 1:
            case 2:
                return isPercentage(request.compressionValue) ? CAMX_OK : CAMX_INVALID_PARAMETER;
            case 3:
                return request.compressionValue >= kMinCompressionRatioValue
                           ? CAMX_OK
                           : CAMX_INVALID_PARAMETER;
            default:
                return CAMX_INVALID_PARAMETER;
        }
    }
    if (request.compressionKind != 2) {
        return CAMX_INVALID_PARAMETER;
    }
    if (isJpeg2000(request.format) && !isPercentage(request.compressionValue)) {
        return CAMX_INVALID_PARAMETER;
    }
    return CAMX_OK;
}

CamxStatus decodeResultImages(const std::uint8_t* data, std::size_t size, CamxStatus status,
                              bool binocular, bool withData, const ResultImageRequest& request,
                              ImageInfo images[2], std::uint32_t* count) {
    images[0] = ImageInfo();
    images[1] = ImageInfo();
    *count = 0;
    ByteReader reader(data, size);
    ImageInfo decoded[2];
    std::uint32_t entries = 1;
    std::uint32_t firstPosition = 0;
    if (binocular) {
        if (status == CAMX_SE_RIGHT_FRAME_UNQUALIFIED) {
            firstPosition = 1;  // the one entry is the second eye's
        } else if (status != CAMX_SE_LEFT_FRAME_UNQUALIFIED) {
            entries = 2;
        }
    }
    for (std::uint32_t i = 0; i < entries; ++i) {
        if (!decodeEntry(reader, withData, request, &decoded[firstPosition + i])) {
            return CAMX_DEVICE_IO_DATA_INVALID;
        }
    }
    images[0] = decoded[0];
    images[1] = decoded[1];
    *count = binocular ? 2 : 1;
    return CAMX_OK;
}

CamxStatus readResultImages(DeviceLink& link, DataBuffer& buffer, const ResultImageRequest& request,
                            ImageInfo images[2], std::uint32_t* count) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    images[0] = ImageInfo();
    images[1] = ImageInfo();
    *count = 0;
    const CamxStatus valid = checkResultImageRequest(link, request);
    if (valid != CAMX_OK) {
        return valid;
    }
    const std::uint32_t parameters = writeResultImageParameters(link, request, nullptr);
    std::uint32_t size = 0;
    const CamxStatus status =
        exchangeDataIn(link, command::kResultImage, parameters, 4, buffer, &size);
    if (!carriesData(status)) {
        return status;
    }
    const CamxStatus parsed = decodeResultImages(buffer.data(), size, status, link.binocular, false,
                                                 request, images, count);
    return parsed != CAMX_OK ? parsed : status;
}

CamxStatus readResultImagesWithData(DeviceLink& link, DataBuffer& buffer,
                                    const ResultImageRequest& request, const DataBlock& data,
                                    ImageInfo images[2], std::uint32_t* count) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    images[0] = ImageInfo();
    images[1] = ImageInfo();
    *count = 0;
    if (data.data == nullptr || data.size == 0 || data.size > kMaxResultDataBlock) {
        return CAMX_INVALID_PARAMETER;
    }
    const CamxStatus valid = checkResultImageRequest(link, request);
    if (valid != CAMX_OK) {
        return valid;
    }
    const std::uint32_t parameters = writeResultImageParameters(link, request, &data);
    std::uint32_t size = 0;
    const CamxStatus status = exchangeDataOutIn(link, command::kResultImageWithData, parameters, 4,
                                                data.data, data.size, buffer, &size);
    if (!carriesData(status)) {
        return status;
    }
    const CamxStatus parsed = decodeResultImages(buffer.data(), size, status, link.binocular, true,
                                                 request, images, count);
    return parsed != CAMX_OK ? parsed : status;
}

CamxStatus readResultQuality(DeviceLink& link, QualityPair pairs[2], std::uint32_t* count) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    pairs[0] = QualityPair();
    pairs[1] = QualityPair();
    *count = 0;
    commandParameters(link).writeU8(0);  // reserved
    const CamxStatus status = exchange(link, command::kResultQuality, 1, 2);
    if (!carriesData(status)) {
        return status;
    }
    ByteReader results = replyResults(link);
    QualityPair first;
    results.readU8(&first.first);
    results.readU8(&first.second);
    if (!link.binocular) {
        pairs[0] = first;
        *count = 1;
        return status;
    }
    if (status == CAMX_SE_RIGHT_FRAME_UNQUALIFIED) {
        pairs[1] = first;
    } else if (status == CAMX_SE_LEFT_FRAME_UNQUALIFIED) {
        pairs[0] = first;
    } else {
        QualityPair second;
        if (!results.readU8(&second.first) || !results.readU8(&second.second)) {
            return CAMX_DEVICE_IO_DATA_INVALID;
        }
        pairs[0] = first;
        pairs[1] = second;
    }
    *count = 2;
    return status;
}

CamxStatus readIsoImage(DeviceLink& link, DataBuffer& buffer, const IsoImageRequest& request,
                        const DataBlock* data, bool sendData, DataBlock* record) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *record = DataBlock();
    std::uint8_t kind = 0;
    std::uint8_t compressionKind = request.compressionKind;
    std::uint32_t compressionValue = request.compressionValue;
    if (request.kind >= 0x1007 && request.kind <= 0x100A) {
        if (request.format != kFormatJpeg2000) {
            return CAMX_INVALID_PARAMETER;
        }
        static constexpr std::uint32_t kRatioValues[] = {1536, 2560, 3584, 5120};
        kind = 7;
        compressionKind = 3;
        compressionValue = kRatioValues[request.kind - 0x1007];
    } else if (request.kind == 1 || request.kind == 2 || request.kind == 3 || request.kind == 7) {
        kind = static_cast<std::uint8_t>(request.kind);
    } else {
        return CAMX_INVALID_PARAMETER;
    }
    const std::uint8_t maxEye = link.binocular ? 3 : 2;
    const bool valid =
        (request.revision == kIsoRevision2005 || request.revision == kIsoRevision2011) &&
        (request.format == kFormatRaw || request.format == kFormatJpeg2000) &&
        (request.revision != kIsoRevision2005 || kind == 1 || kind == 2) &&
        (!link.extendedLayouts() ||
         (compressionKind >= 1 && compressionKind <= 3 && request.eyePosition <= maxEye)) &&
        (data == nullptr || data->data != nullptr || data->size == 0);
    if (!valid) {
        return CAMX_INVALID_PARAMETER;
    }

    ByteWriter writer = commandParameters(link);
    writer.writeU8(request.revision);
    writer.writeU8(kind);
    writer.writeU8(request.format);
    std::uint32_t count = 0;
    if (link.extendedLayouts()) {
        writer.writeU8(compressionKind);
        writer.writeU32(compressionValue);
        writer.writeU8(request.eyePosition);
        if (request.revision == kIsoRevision2011 && data != nullptr &&
            data->size == kIsoExtraBytes) {
            writer.writeBytes(data->data, kIsoExtraBytes);
        } else {
            writer.fill(0xFF, kIsoExtraBytes);
        }
        count = 18;
    } else {
        writer.writeU8(static_cast<std::uint8_t>(compressionValue));
        count = 4;
    }

    std::uint32_t size = 0;
    CamxStatus status = CAMX_OK;
    if (sendData) {
        const std::uint32_t dataSize = data != nullptr ? data->size : 0;
        writer.seek(count);
        writer.writeU32(dataSize);
        status = exchangeDataOutIn(link, command::kIsoImageWithData, count + 4, 4,
                                   dataSize > 0 ? data->data : nullptr, dataSize, buffer, &size);
    } else {
        status = exchangeDataIn(link, command::kIsoImage, count, 4, buffer, &size);
    }
    if (!carriesData(status)) {
        return status;
    }
    record->size = size;
    record->data = size > 0 ? buffer.data() : nullptr;
    return status;
}

}  // namespace sdk
