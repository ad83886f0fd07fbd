#include "sdk/TemplateCommands.h"

#include <cstring>

#include "sdk/ByteReader.h"
#include "sdk/ByteWriter.h"
#include "sdk/CommandCode.h"
#include "sdk/EnrolleeId.h"
#include "sdk/Exchange.h"

namespace sdk {

namespace {

constexpr std::size_t kIdentifyIdBytes = 32;

bool validBlock(const DataBlock& block) {
    return block.data != nullptr || block.size == 0;
}

// A user id and its terminator from p0; returns the parameter count.
std::uint32_t writeUserId(DeviceLink& link, const char* userId) {
    commandParameters(link).writeText(userId);
    return static_cast<std::uint32_t>(std::strlen(userId) + 1);
}

void decodeMatchRecord(const DeviceLink& link, MatchRecord* record) {
    ByteReader results = replyResults(link);
    results.readU32(&record->words[0]);
    results.readU32(&record->words[1]);
    for (int i = 2; i < 6; ++i) {
        std::uint8_t value = 0;
        results.readU8(&value);
        record->words[i] = value;
    }
}

void handOut(const DataBuffer& buffer, std::uint32_t size, DataBlock* out) {
    out->size = size;
    out->data = size > 0 ? buffer.data() : nullptr;
}

}  // namespace

CamxStatus readResultTemplate(DeviceLink& link, DataBuffer& buffer, DataBlock* out) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *out = DataBlock();
    std::uint32_t size = 0;
    const CamxStatus status = exchangeDataIn(link, command::kResultTemplate, 0, 4, buffer, &size);
    if (carriesData(status)) {
        handOut(buffer, size, out);
    }
    return status;
}

CamxStatus readTemplateFromData(DeviceLink& link, DataBuffer& buffer, const DataBlock* data,
                                DataBlock* out) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *out = DataBlock();
    const bool withData = data != nullptr && data->size > 0;
    if (withData && (data->data == nullptr || data->size > kMaxTemplateRequestData)) {
        return CAMX_INVALID_PARAMETER;
    }
    commandParameters(link).writeU32(withData ? data->size : 0);
    std::uint32_t size = 0;
    CamxStatus status = CAMX_OK;
    if (withData) {
        status = exchangeDataOut(link, command::kTemplateFromData, 4, 4, data->data, data->size);
        if (carriesData(status)) {
            const CamxStatus read = readAnnouncedData(link, buffer, &size);
            status = read != CAMX_OK ? read : status;
        }
    } else {
        status = exchangeDataIn(link, command::kTemplateFromData, 4, 4, buffer, &size);
    }
    if (carriesData(status)) {
        handOut(buffer, size, out);
    }
    return status;
}

CamxStatus matchTemplateBlock(DeviceLink& link, const DataBlock& block, MatchRecord* record) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *record = MatchRecord();
    if (!validBlock(block) || block.size >= kMaxTemplateBlock) {
        return CAMX_INVALID_PARAMETER;
    }
    commandParameters(link).writeU32(block.size);
    const CamxStatus status =
        exchangeDataOut(link, command::kMatchTemplateBlock, 4, 12, block.data, block.size);
    if (carriesData(status)) {
        decodeMatchRecord(link, record);
    }
    return status;
}

CamxStatus decodeIdentifyCandidates(const std::uint8_t* data, std::size_t size, std::uint32_t count,
                                    std::vector<IdentifyCandidate>* candidates) {
    candidates->clear();
    if (static_cast<std::uint64_t>(count) * kIdentifyEntrySize > size) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    ByteReader reader(data, size);
    candidates->resize(count);
    for (IdentifyCandidate& candidate : *candidates) {
        const std::uint8_t* id = nullptr;
        reader.readBytes(kIdentifyIdBytes, &id);
        std::size_t length = 0;
        while (length < kIdentifyIdBytes && id[length] != 0) {
            ++length;
        }
        std::memcpy(candidate.userId, id, length);
        candidate.userId[length] = '\0';
        reader.readF32(&candidate.distance);
    }
    return CAMX_OK;
}

CamxStatus identify(DeviceLink& link, DataBuffer& buffer, float maxDistance,
                    std::vector<IdentifyCandidate>* candidates) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    candidates->clear();
    ScopedTimeout timeout(link, kIdentifyTimeoutMs);
    std::uint32_t parameters = 0;
    if (link.extendedLayouts()) {
        commandParameters(link).writeF32(maxDistance);
        parameters = 4;
    }
    const CamxStatus status = exchange(link, command::kIdentify, parameters, 8);
    if (!carriesData(status)) {
        return status;
    }
    ByteReader results = replyResults(link);
    std::uint32_t count = 0;
    std::uint32_t length = 0;
    results.readU32(&count);
    results.readU32(&length);
    if (count == 0) {
        return status;
    }
    if (static_cast<std::uint64_t>(count) * kIdentifyEntrySize > length) {
        link.transport->setLastStatus(CAMX_DEVICE_IO_DATA_INVALID);
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    const CamxStatus prepared = prepareDataBuffer(link, buffer, length);
    if (prepared != CAMX_OK) {
        return prepared;
    }
    const CamxStatus read = link.transport->read(buffer.data(), length);
    if (read != CAMX_OK) {
        return read;
    }
    buffer.setLength(length);
    const CamxStatus parsed = decodeIdentifyCandidates(buffer.data(), length, count, candidates);
    return parsed != CAMX_OK ? parsed : status;
}

CamxStatus readEnrolleeTemplate(DeviceLink& link, DataBuffer& buffer, const char* userId,
                                DataBlock* out) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *out = DataBlock();
    if (!isValidEnrolleeId(userId)) {
        return CAMX_INVALID_PARAMETER;
    }
    const std::uint32_t parameters = writeUserId(link, userId);
    std::uint32_t size = 0;
    const CamxStatus status =
        exchangeDataIn(link, command::kEnrolleeTemplate, parameters, 4, buffer, &size);
    if (carriesData(status)) {
        handOut(buffer, size, out);
    }
    return status;
}

CamxStatus compareWithEnrollee(DeviceLink& link, const char* userId, float* distance) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (!isValidEnrolleeId(userId)) {
        return CAMX_INVALID_PARAMETER;
    }
    const std::uint32_t parameters = writeUserId(link, userId);
    const CamxStatus status = exchange(link, command::kCompareWithEnrollee, parameters, 4);
    if (carriesData(status)) {
        replyResults(link).readF32(distance);
    }
    return status;
}

CamxStatus compareWithTemplate(DeviceLink& link, const DataBlock& block, float* distance,
                               bool variant) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (block.data == nullptr || block.size == 0 || block.size > kMaxTemplateBlock) {
        return CAMX_INVALID_PARAMETER;
    }
    const std::uint16_t code =
        variant ? command::kCompareWithTemplateVariant : command::kCompareWithTemplate;
    commandParameters(link).writeU32(block.size);
    const CamxStatus status = exchangeDataOut(link, code, 4, 4, block.data, block.size);
    if (carriesData(status)) {
        replyResults(link).readF32(distance);
    }
    return status;
}

CamxStatus readEnrolleeRecord(DeviceLink& link, const char* userId, MatchRecord* record) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *record = MatchRecord();
    if (!isValidEnrolleeId(userId)) {
        return CAMX_INVALID_PARAMETER;
    }
    const std::uint32_t parameters = writeUserId(link, userId);
    const CamxStatus status = exchange(link, command::kEnrolleeRecord, parameters, 12);
    if (carriesData(status)) {
        decodeMatchRecord(link, record);
    }
    return status;
}

}  // namespace sdk
