#include "sdk/GalleryCommands.h"

#include <cstring>

#include "sdk/ByteReader.h"
#include "sdk/ByteWriter.h"
#include "sdk/CommandCode.h"
#include "sdk/EnrolleeId.h"
#include "sdk/Exchange.h"
#include "sdk/TemplateCommands.h"

namespace sdk {

namespace {

constexpr std::uint32_t kListEnrolleesSelector = 3;

void clearNamesAndCount(const GalleryQuery& query) {
    if (query.names != nullptr) {
        query.names->clear();
    }
    if (query.count != nullptr) {
        *query.count = 0;
    }
}

void clearAll(const GalleryQuery& query) {
    clearNamesAndCount(query);
    if (query.usedSlots != nullptr) {
        *query.usedSlots = 0;
    }
    if (query.maxTemplates != nullptr) {
        *query.maxTemplates = 0;
    }
}

// Sends a gallery command whose parameters are written and reads the gallery reply.
CamxStatus galleryExchange(DeviceLink& link, std::uint16_t code, std::uint32_t parameters,
                           DataBuffer& listBuffer, const GalleryQuery& query) {
    const CamxStatus status = exchange(link, code, parameters, 16);
    if (status != CAMX_OK && status != CAMX_GAL_EMPTY) {
        clearNamesAndCount(query);
        return status;
    }
    ByteReader results = replyResults(link);
    std::uint32_t count = 0;
    std::uint32_t used = 0;
    std::uint32_t maximum = 0;
    std::uint32_t listLength = 0;
    results.readU32(&count);
    results.readU32(&used);
    results.readU32(&maximum);
    results.readU32(&listLength);
    if (query.names != nullptr) {
        query.names->clear();
        if (count > 0) {
            listBuffer.setLength(0);
            CamxStatus read = prepareDataBuffer(link, listBuffer, listLength);
            if (read == CAMX_OK && listLength > 0) {
                read = link.transport->read(listBuffer.data(), listLength);
            }
            if (read == CAMX_OK) {
                listBuffer.setLength(listLength);
                read = decodeNameList(listBuffer.data(), listLength, count, query.names);
            }
            if (read != CAMX_OK) {
                clearAll(query);
                return read;
            }
        }
    }
    if (query.count != nullptr) {
        *query.count = count;
    }
    if (query.usedSlots != nullptr) {
        *query.usedSlots = count != 0 ? used : 0;
    }
    if (query.maxTemplates != nullptr) {
        *query.maxTemplates = maximum;
    }
    return status;
}

CamxStatus userIdCommand(DeviceLink& link, std::uint16_t code, const char* userId) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (!isValidEnrolleeId(userId)) {
        return CAMX_INVALID_PARAMETER;
    }
    commandParameters(link).writeText(userId);
    return exchange(link, code, static_cast<std::uint32_t>(std::strlen(userId) + 1), 0);
}

}  // namespace

CamxStatus decodeNameList(const std::uint8_t* data, std::size_t size, std::uint32_t count,
                          std::vector<const char*>* names) {
    names->clear();
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const void* end = at < size ? std::memchr(data + at, 0, size - at) : nullptr;
        if (end == nullptr) {
            names->clear();
            return CAMX_DEVICE_IO_DATA_INVALID;
        }
        names->push_back(reinterpret_cast<const char*>(data + at));
        at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - data) + 1;
    }
    return CAMX_OK;
}

CamxStatus loadGallery(DeviceLink& link, DataBuffer& listBuffer, const GalleryQuery& query) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (query.names != nullptr && query.count == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    ScopedTimeout timeout(link, kGalleryTimeoutMs);
    std::uint32_t parameters = 0;
    if (link.extendedLayouts()) {
        commandParameters(link).writeU8(query.names != nullptr ? 1 : 0);
        parameters = 1;
    }
    return galleryExchange(link, command::kLoadGallery, parameters, listBuffer, query);
}

CamxStatus listEnrollees(DeviceLink& link, DataBuffer& listBuffer, const GalleryQuery& query,
                         bool otherForm) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (query.names != nullptr && query.count == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    if (query.names == nullptr && query.count == nullptr && query.usedSlots == nullptr &&
        query.maxTemplates == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    std::uint32_t parameters = 0;
    if (link.extendedLayouts()) {
        ByteWriter writer = commandParameters(link);
        writer.writeU8(query.names != nullptr ? 1 : 0);
        writer.writeU32(kListEnrolleesSelector);
        parameters = 5;
    }
    const std::uint16_t code = otherForm ? command::kListEnrolleesOther : command::kListEnrollees;
    return galleryExchange(link, code, parameters, listBuffer, query);
}

CamxStatus enroll(DeviceLink& link, const char* userId) {
    return userIdCommand(link, command::kEnroll, userId);
}

CamxStatus addTemplate(DeviceLink& link, const char* userId, const DataBlock& block) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (!isValidEnrolleeId(userId) || (block.data == nullptr && block.size > 0) ||
        block.size >= kMaxTemplateBlock) {
        return CAMX_INVALID_PARAMETER;
    }
    ByteWriter writer = commandParameters(link);
    writer.writeU32(block.size);
    writer.writeText(userId);
    const auto parameters = static_cast<std::uint32_t>(std::strlen(userId) + 5);
    return exchangeDataOut(link, command::kAddTemplate, parameters, 4, block.data, block.size);
}

CamxStatus unenroll(DeviceLink& link, const char* userId) {
    return userIdCommand(link, command::kUnenroll, userId);
}

CamxStatus unenrollAll(DeviceLink& link) {
    return exchange(link, command::kUnenrollAll, 0, 0);
}

CamxStatus commitGallery(DeviceLink& link) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    ScopedTimeout timeout(link, kGalleryTimeoutMs);
    return exchange(link, command::kCommitGallery, 0, 0);
}

}  // namespace sdk
