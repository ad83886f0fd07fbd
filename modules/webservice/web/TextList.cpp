#include "web/TextList.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace lensws {

void TextList::add(const char* text) {
    add(text != nullptr ? text : "", text != nullptr ? std::strlen(text) : 0);
}

void TextList::add(const char* text, std::size_t length) {
    if (length == SIZE_MAX) {
        throw std::bad_alloc();
    }
    char* copy = static_cast<char*>(allocator_->allocate(length + 1));
    if (length != 0) {
        std::memcpy(copy, text, length);
    }
    copy[length] = '\0';
    append(copy, length);
}

void TextList::addBorrowed(const char* text, std::size_t length) {
    append(text, length);
}

void TextList::clear() {
    first_ = nullptr;
    last_ = nullptr;
    size_ = 0;
}

void TextList::append(const char* text, std::size_t length) {
    Entry* entry = new (allocator_->allocate(sizeof(Entry))) Entry{text, length, nullptr};
    if (last_ != nullptr) {
        last_->next = entry;
    } else {
        first_ = entry;
    }
    last_ = entry;
    ++size_;
}

}  // namespace lensws
