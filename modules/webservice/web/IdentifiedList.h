#pragma once

#include <cstddef>

#include "web/GrowingAllocator.h"

namespace lensws {

class JsonWriter;

// One candidate of an identification: the user identifier (at most 32 bytes, kept with a
// terminating zero) and its distance.
struct IdentifiedEntry {
    static constexpr std::size_t kMaxUserIdLength = 32;
    char userId[kMaxUserIdLength + 1];
    float distance;
};

// The answer list of an identification, written as the member "identified": an array of
// {"id": text (left out when empty), "distance": "%f" float}. The entries live in a
// ByteAllocator of the handler (a per-request pool over a stack scratch area), which must
// outlive the list. One request, one thread.
class IdentifiedList {
public:
    explicit IdentifiedList(vtl_base_type::ByteAllocator& allocator) : allocator_(&allocator) {}
    IdentifiedList(const IdentifiedList&) = delete;
    IdentifiedList& operator=(const IdentifiedList&) = delete;

    void clear() { size_ = 0; }
    // Makes room for `count` entries in all.
    void reserve(std::size_t count);
    // Appends a candidate: the identifier up to its terminating zero, at most 32 bytes.
    void add(const char* userId, float distance);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const IdentifiedEntry& operator[](std::size_t i) const { return entries_[i]; }

    // Writes the array value (an empty list as []).
    void write(JsonWriter& writer) const;

private:
    vtl_base_type::ByteAllocator* allocator_;
    IdentifiedEntry* entries_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace lensws
