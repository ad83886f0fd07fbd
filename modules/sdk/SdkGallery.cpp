#include "sdk/SdkGallery.h"

#include "sdk/GalleryCommands.h"
#include "sdk/SdkDevice.h"
#include "sdk/SdkState.h"

namespace sdk {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

enum class GalleryCommand { Load, List, ListOtherForm };

CamxStatus galleryQuery(SdkHandle handle, GalleryCommand command, NameList* names,
                        std::uint32_t* count, std::uint32_t* usedSlots,
                        std::uint32_t* maxTemplates) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    Lock lock(device->link.lock);
    GalleryQuery query;
    query.names = names != nullptr ? &device->galleryNames : nullptr;
    query.count = count;
    query.usedSlots = usedSlots;
    query.maxTemplates = maxTemplates;
    const CamxStatus status = command == GalleryCommand::Load
                                  ? loadGallery(device->link, device->buffers.list, query)
                                  : listEnrollees(device->link, device->buffers.list, query,
                                                  command == GalleryCommand::ListOtherForm);
    if (names != nullptr) {
        *names = device->galleryNames.empty() ? nullptr : device->galleryNames.data();
    }
    return status;
}

}  // namespace

CamxStatus sdkGetResultTemplate(SdkHandle handle, DataBlock* block) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (block == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return readResultTemplate(device->link, device->buffers.templates, block);
}

CamxStatus sdkGetTemplateFromData(SdkHandle handle, const DataBlock* data, DataBlock* block) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (block == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return readTemplateFromData(device->link, device->buffers.templates, data, block);
}

CamxStatus sdkMatchTemplateBlock(SdkHandle handle, const DataBlock* block, MatchRecord* record) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (block == nullptr || record == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return matchTemplateBlock(device->link, *block, record);
}

CamxStatus sdkIdentifyCapture(SdkHandle handle, float maxDistance,
                              const IdentifyCandidate** candidates, std::uint32_t* count) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (candidates == nullptr || count == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    Lock lock(device->link.lock);
    const CamxStatus status =
        identify(device->link, device->buffers.general, maxDistance, &device->candidates);
    *count = static_cast<std::uint32_t>(device->candidates.size());
    *candidates = device->candidates.empty() ? nullptr : device->candidates.data();
    return status;
}

CamxStatus sdkAddTemplate(SdkHandle handle, const char* userId, const DataBlock* block) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (block == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return addTemplate(device->link, userId, *block);
}

CamxStatus sdkGetEnrolleeTemplate(SdkHandle handle, const char* userId, DataBlock* block) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (block == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return readEnrolleeTemplate(device->link, device->buffers.templates, userId, block);
}

CamxStatus sdkCompareWithEnrollee(SdkHandle handle, const char* userId, float* distance) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (distance == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return compareWithEnrollee(device->link, userId, distance);
}

CamxStatus sdkCompareWithTemplate(SdkHandle handle, const DataBlock* block, float* distance) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (block == nullptr || distance == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return compareWithTemplate(device->link, *block, distance);
}

CamxStatus sdkGetEnrolleeRecord(SdkHandle handle, const char* userId, MatchRecord* record) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (record == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return readEnrolleeRecord(device->link, userId, record);
}

CamxStatus sdkLoadGallery(SdkHandle handle, NameList* names, std::uint32_t* count,
                          std::uint32_t* usedSlots, std::uint32_t* maxTemplates) {
    return galleryQuery(handle, GalleryCommand::Load, names, count, usedSlots, maxTemplates);
}

CamxStatus sdkListEnrollees(SdkHandle handle, NameList* names, std::uint32_t* count,
                            std::uint32_t* usedSlots, std::uint32_t* maxTemplates) {
    return galleryQuery(handle, GalleryCommand::List, names, count, usedSlots, maxTemplates);
}

CamxStatus sdkListEnrolleesOtherForm(SdkHandle handle, NameList* names, std::uint32_t* count,
                                     std::uint32_t* usedSlots, std::uint32_t* maxTemplates) {
    return galleryQuery(handle, GalleryCommand::ListOtherForm, names, count, usedSlots,
                        maxTemplates);
}

CamxStatus sdkEnrollCapture(SdkHandle handle, const char* userId) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    return enroll(device->link, userId);
}

CamxStatus sdkUnenroll(SdkHandle handle, const char* userId) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    return userId == nullptr ? unenrollAll(device->link) : unenroll(device->link, userId);
}

CamxStatus sdkCommitGallery(SdkHandle handle) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    return commitGallery(device->link);
}

}  // namespace sdk
