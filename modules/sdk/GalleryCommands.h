#pragma once

// The gallery the camera keeps: load and list (with the gallery reply), enroll, add a template,
// unenroll, commit.
//
// Gallery reply (0x8003, 0x8004): p0 enrollee count, p4 used template slots, p8 maximum number
// of templates, p12 byte length of the name list (u32 each). When names were asked for and the
// count is not 0, the name list follows as data: `count` NUL-terminated user ids back to back.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sdk/DataBlock.h"
#include "sdk/DataBuffer.h"
#include "sdk/DeviceLink.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// What a caller wants of a gallery reply; null members are not wanted. The names point into
// the list buffer and stay valid until the next call that uses it.
struct GalleryQuery {
    std::vector<const char*>* names = nullptr;  // needs `count`
    std::uint32_t* count = nullptr;
    std::uint32_t* usedSlots = nullptr;  // 0 unless the count is not 0
    std::uint32_t* maxTemplates = nullptr;
};

// 0x8003 under its 300000 ms time-out. An empty gallery (0x4003) still fills the outputs and is
// returned as it stands.
CamxStatus loadGallery(DeviceLink& link, DataBuffer& listBuffer, const GalleryQuery& query);
// 0x8004 (or its other form 0x9008); needs at least one output.
CamxStatus listEnrollees(DeviceLink& link, DataBuffer& listBuffer, const GalleryQuery& query,
                         bool otherForm = false);
// 0x8007: enrolls the current capture under `userId`.
CamxStatus enroll(DeviceLink& link, const char* userId);
// 0x3018: adds a template block (below kMaxTemplateBlock bytes) under `userId`.
CamxStatus addTemplate(DeviceLink& link, const char* userId, const DataBlock& block);
// 0x8014: removes one user id.
CamxStatus unenroll(DeviceLink& link, const char* userId);
// 0x8015: unenroll without a user id.
CamxStatus unenrollAll(DeviceLink& link);
// 0x8016 under its 300000 ms time-out: makes the gallery's changes persistent.
CamxStatus commitGallery(DeviceLink& link);

// Splits a name list into `count` ids; 10 when it holds fewer terminated ids.
CamxStatus decodeNameList(const std::uint8_t* data, std::size_t size, std::uint32_t count,
                          std::vector<const char*>* names);

}  // namespace sdk
