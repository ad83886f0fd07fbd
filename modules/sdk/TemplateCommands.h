#pragma once

// Templates and matching: the capture's template, templates from data, matching a template
// block, comparing with enrollees or templates, enrollee templates and records, identification.
//
// Identification data (0x3017): `count` entries of 36 bytes, each a 32-byte NUL-padded user
// id and a f32 distance; the reply gives the count at p0 and the data length at p4.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sdk/DataBlock.h"
#include "sdk/DataBuffer.h"
#include "sdk/DeviceLink.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// Template blocks sent to the camera stay below this size (the camera's template buffer).
constexpr std::uint32_t kMaxTemplateBlock = 0xAB000;
constexpr std::uint32_t kMaxTemplateRequestData = 64;
constexpr std::size_t kIdentifyEntrySize = 36;

// Six words of a match record. For an enrollee record (0x3021) they are the template version,
// the creator version, the left-, right- and unknown-iris template counts and the total.
struct MatchRecord {
    std::uint32_t words[6] = {0, 0, 0, 0, 0, 0};
};

struct IdentifyCandidate {
    char userId[33] = {};
    float distance = 0;
};

// 0x3005: the template of the last capture, handed out from `buffer`.
CamxStatus readResultTemplate(DeviceLink& link, DataBuffer& buffer, DataBlock* out);
// 0x3006: a template made from a request block of 1 to 64 bytes, or from the capture when
// `data` is null or empty.
CamxStatus readTemplateFromData(DeviceLink& link, DataBuffer& buffer, const DataBlock* data,
                                DataBlock* out);
// 0x3007: matches a template block (below kMaxTemplateBlock bytes).
CamxStatus matchTemplateBlock(DeviceLink& link, const DataBlock& block, MatchRecord* record);
// 0x3017 under its 59000 ms time-out; firmware 0x2001C and later take the maximum distance.
// The candidate data is read into `buffer`; a count of 0 reads nothing.
CamxStatus identify(DeviceLink& link, DataBuffer& buffer, float maxDistance,
                    std::vector<IdentifyCandidate>* candidates);
// 0x3019: the template enrolled under `userId`.
CamxStatus readEnrolleeTemplate(DeviceLink& link, DataBuffer& buffer, const char* userId,
                                DataBlock* out);
// 0x301A: distance between the capture and an enrollee.
CamxStatus compareWithEnrollee(DeviceLink& link, const char* userId, float* distance);
// 0x301B (or its variant 0x301F): distance between the capture and a template block of 1 to
// kMaxTemplateBlock bytes.
CamxStatus compareWithTemplate(DeviceLink& link, const DataBlock& block, float* distance,
                               bool variant = false);
// 0x3021: the record of an enrollee.
CamxStatus readEnrolleeRecord(DeviceLink& link, const char* userId, MatchRecord* record);

// Parses `count` identification entries; 10 when they do not fit in the data.
CamxStatus decodeIdentifyCandidates(const std::uint8_t* data, std::size_t size, std::uint32_t count,
                                    std::vector<IdentifyCandidate>* candidates);

}  // namespace sdk
