#pragma once

// Templates, matching and the gallery the camera keeps. User identifiers are 1 to 31 ASCII
// letters and digits (15 otherwise, before any traffic). Blocks, names and candidates handed
// out point into the device and stay valid until the next call of the same kind on it.

#include <cstdint>

#include "sdk/DataBlock.h"
#include "sdk/SdkHandle.h"
#include "sdk/SdkStatus.h"
#include "sdk/TemplateCommands.h"

namespace sdk {

// Command 0x3005: the template of the last capture.
CamxStatus sdkGetResultTemplate(SdkHandle handle, DataBlock* block);
// Command 0x3006: a template made from a request block of 1 to 64 bytes, or from the capture
// when `data` is null.
CamxStatus sdkGetTemplateFromData(SdkHandle handle, const DataBlock* data, DataBlock* block);
// Command 0x3007.
CamxStatus sdkMatchTemplateBlock(SdkHandle handle, const DataBlock* block, MatchRecord* record);
// Command 0x3017: the enrollees within `maxDistance` of the capture.
CamxStatus sdkIdentifyCapture(SdkHandle handle, float maxDistance,
                              const IdentifyCandidate** candidates, std::uint32_t* count);
// Command 0x3018.
CamxStatus sdkAddTemplate(SdkHandle handle, const char* userId, const DataBlock* block);
// Command 0x3019.
CamxStatus sdkGetEnrolleeTemplate(SdkHandle handle, const char* userId, DataBlock* block);
// Command 0x301A.
CamxStatus sdkCompareWithEnrollee(SdkHandle handle, const char* userId, float* distance);
// Command 0x301B.
CamxStatus sdkCompareWithTemplate(SdkHandle handle, const DataBlock* block, float* distance);
// Command 0x3021: template version, creator version, left-, right- and unknown-iris counts and
// the total.
CamxStatus sdkGetEnrolleeRecord(SdkHandle handle, const char* userId, MatchRecord* record);

// Commands 0x8003 (load the gallery) and 0x8004 (list the enrollees; 0x9008 in its other form).
// Every output may be null, but the names need the count, and listing needs at least one
// output. An empty gallery (0x4003) fills the outputs and is returned as it stands.
CamxStatus sdkLoadGallery(SdkHandle handle, NameList* names, std::uint32_t* count,
                          std::uint32_t* usedSlots, std::uint32_t* maxTemplates);
CamxStatus sdkListEnrollees(SdkHandle handle, NameList* names, std::uint32_t* count,
                            std::uint32_t* usedSlots, std::uint32_t* maxTemplates);
CamxStatus sdkListEnrolleesOtherForm(SdkHandle handle, NameList* names, std::uint32_t* count,
                                     std::uint32_t* usedSlots, std::uint32_t* maxTemplates);
// Command 0x8007: enrolls the last capture under `userId`.
CamxStatus sdkEnrollCapture(SdkHandle handle, const char* userId);
// Command 0x8014 for one user, 0x8015 when `userId` is null.
CamxStatus sdkUnenroll(SdkHandle handle, const char* userId);
// Command 0x8016: makes the gallery's changes persistent.
CamxStatus sdkCommitGallery(SdkHandle handle);

}  // namespace sdk
