#pragma once

#include <cstdint>

#include "capture/DownloadVocabulary.h"
#include "web/JsonValue.h"

namespace lensws {

// What POST /1.0/download/image asks for, from its body
//   {"params": {"imageFormat": "image/jp2", "imageKind": "KIND 7",
//               "isoRevision": "ISO/IEC 19794-6:2011", "encodingQuality": 80}}
// A name that is not in its vocabulary leaves the field as it was; "encodingQuality" counts only
// as an integer (80.0 does not).
struct DownloadParams {
    std::int32_t imageFormat = 0;  // not given
    std::int32_t imageKind = 1;    // "KIND 1"
    std::int32_t isoRevision = kNoIsoRecord;
    std::int32_t encodingQuality = -1;
    bool qualityGiven = false;

    // Reader of the "params" member: false unless it is an object.
    bool read(const JsonValue& value);
    // A known format and a quality of 1 to 100.
    bool usable() const;
    // Whether an ISO record is asked for, and of which revision (1 or 2).
    bool isoRecord() const { return isoRevision != kNoIsoRecord; }
    std::int32_t revisionCode() const {
        return isoRevision == kIsoRevision2011 ? kIsoRevision2011 : kIsoRevision2005;
    }
    // The kind sent to the camera: a 2005 record knows only the uncropped kind.
    std::int32_t kindCode() const { return isoRevision == kIsoRevision2005 ? 1 : imageKind; }
};

}  // namespace lensws
