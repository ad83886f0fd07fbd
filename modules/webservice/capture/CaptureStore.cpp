#include "capture/CaptureStore.h"

#include <cstring>

namespace lensws {

bool CaptureStore::add(std::int32_t irisPosition) {
    if (count_ == kCapacity) {
        return false;
    }
    CaptureRecord& record = records_[count_];
    if (!platform::newUuidText(record.captureId)) {
        return false;
    }
    record.irisPosition = irisPosition;
    ++count_;
    return true;
}

const CaptureRecord* CaptureStore::find(const char* captureId) const {
    for (std::size_t i = 0; i < count_; ++i) {
        if (std::strcmp(records_[i].captureId, captureId) == 0) {
            return &records_[i];
        }
    }
    return nullptr;
}

}  // namespace lensws
