#include "web/IdentifiedList.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "web/JsonWriter.h"

namespace lensws {

void IdentifiedList::reserve(std::size_t count) {
    if (count <= capacity_) {
        return;
    }
    if (count > SIZE_MAX / sizeof(IdentifiedEntry)) {
        throw std::bad_alloc();
    }
    entries_ = static_cast<IdentifiedEntry*>(allocator_->reallocate(
        entries_, capacity_ * sizeof(IdentifiedEntry), count * sizeof(IdentifiedEntry)));
    capacity_ = count;
}

void IdentifiedList::add(const char* userId, float distance) {
    if (size_ == capacity_) {
        reserve(capacity_ < 8 ? 8 : capacity_ * 2);
    }
    IdentifiedEntry& entry = entries_[size_];
    std::size_t length = 0;
    if (userId != nullptr) {
        while (length < IdentifiedEntry::kMaxUserIdLength && userId[length] != '\0') {
            ++length;
        }
        std::memcpy(entry.userId, userId, length);
    }
    entry.userId[length] = '\0';
    entry.distance = distance;
    ++size_;
}

void IdentifiedList::write(JsonWriter& writer) const {
    writer.startArray();
    for (std::size_t i = 0; i < size_; ++i) {
        writer.startObject();
        writer.textMember("id", entries_[i].userId);
        writer.key("distance");
        writer.floatFixed(entries_[i].distance);
        writer.endObject();
    }
    writer.endArray();
}

}  // namespace lensws
