#pragma once

#include <cstddef>

#include "web/GrowingAllocator.h"

namespace lensws {

// An ordered list of texts of explicit length whose entries live in a ByteAllocator of the
// owner's choosing (an InlineAllocator on the handler's stack, or the result document's own).
// The allocator must outlive the list; nothing is released entry by entry.
//
// `add` copies a text into the allocator (with a terminating zero behind it); `addBorrowed`
// records the caller's pointer, whose text must stay valid as long as the list is read (the
// stream data of a preview snapshot, for example). Entries may contain zero bytes: readers use
// the length. Filling a list costs no heap allocation while its allocator's first chunk has
// room. One thread at a time.
class TextList {
public:
    struct Entry {
        const char* text;
        std::size_t length;
        const Entry* next;
    };

    class Iterator {
    public:
        explicit Iterator(const Entry* entry) : entry_(entry) {}
        const Entry& operator*() const { return *entry_; }
        const Entry* operator->() const { return entry_; }
        Iterator& operator++() {
            entry_ = entry_->next;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return entry_ != other.entry_; }
        bool operator==(const Iterator& other) const { return entry_ == other.entry_; }

    private:
        const Entry* entry_;
    };

    explicit TextList(vtl_base_type::ByteAllocator& allocator) : allocator_(&allocator) {}
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;

    // Appends a copy of the zero-terminated `text` (null is taken as the empty text).
    void add(const char* text);
    // Appends a copy of `length` bytes of `text`.
    void add(const char* text, std::size_t length);
    // Appends the caller's text without copying it.
    void addBorrowed(const char* text, std::size_t length);
    // Forgets every entry (their memory stays with the allocator).
    void clear();

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const Entry* first() const { return first_; }
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(nullptr); }

private:
    void append(const char* text, std::size_t length);

    vtl_base_type::ByteAllocator* allocator_;
    Entry* first_ = nullptr;
    Entry* last_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace lensws
