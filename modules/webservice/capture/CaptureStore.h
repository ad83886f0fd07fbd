#pragma once

#include <cstddef>

#include "capture/CaptureRecord.h"

namespace lensws {

// The capture identifiers of the most recent capture, one per eye image: emptied when a
// capture starts, filled when its results are collected. Guarded by the camera controller's
// mutex (every user runs inside a controller operation).
class CaptureStore {
public:
    // A camera images at most two eyes.
    static constexpr std::size_t kCapacity = 2;

    void clear() { count_ = 0; }
    // Appends a record with a fresh identifier; false (and nothing added) when the store is
    // full or no identifier could be made.
    bool add(std::int32_t irisPosition);
    // The first record with exactly this identifier, or null.
    const CaptureRecord* find(const char* captureId) const;

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const CaptureRecord& operator[](std::size_t index) const { return records_[index]; }

private:
    CaptureRecord records_[kCapacity];
    std::size_t count_ = 0;
};

}  // namespace lensws
