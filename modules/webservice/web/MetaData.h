#pragma once

#include <cstddef>
#include <cstdint>

#include "web/GrowingAllocator.h"
#include "web/MetadataItem.h"

namespace lensws {

class JsonWriter;

// A dictionary of typed key/value items, written as one member of the response object (after
// the result members, before "identified"): the dictionary's name, then an array with one
// object per item in insertion order. A dictionary without items writes nothing at all. Keys
// need not be unique: adding a key twice keeps both items.
//
// Items and their texts come from the request's pool given at construction (usually an
// InlineAllocator on the handler's stack), which must outlive the dictionary; nothing is
// released item by item. Pool exhaustion throws std::bad_alloc. One request, one thread.
class MetaData {
public:
    class Iterator {
    public:
        explicit Iterator(const void* node) : node_(node) {}
        const MetadataItem& operator*() const;
        const MetadataItem* operator->() const { return &**this; }
        Iterator& operator++();
        bool operator!=(const Iterator& other) const { return node_ != other.node_; }

    private:
        const void* node_;
    };

    // `name` (copied; null or empty: "metadata").
    explicit MetaData(vtl_base_type::ByteAllocator& pool, const char* name = nullptr);
    MetaData(const MetaData&) = delete;
    MetaData& operator=(const MetaData&) = delete;
    virtual ~MetaData();

    void addInt(const char* key, std::int32_t value);          // type 1
    void addIntFromByte(const char* key, std::uint8_t value);  // type 1
    void addUint(const char* key, std::uint32_t value);        // type 2
    void addFloat(const char* key, float value);               // type 3
    void addBool(const char* key, bool value);                 // type 5
    void addString(const char* key, const char* value);        // type 6
    // Appends a copy of a fully built item (descriptor or range).
    void addItem(const MetadataItem& item);
    // The pool the items come from; an item built for addItem takes it too.
    vtl_base_type::ByteAllocator& pool() const { return *pool_; }

    const char* name() const { return name_; }
    std::size_t itemCount() const { return count_; }
    bool empty() const { return count_ == 0; }
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(nullptr); }
    // The first item whose key equals `key` exactly; null when none.
    const MetadataItem* find(const char* key) const;

    // Writes the member (name and array); nothing when there are no items.
    void write(JsonWriter& writer) const;

private:
    struct Node;

    MetadataItem& append();

    vtl_base_type::ByteAllocator* pool_;
    const char* name_;
    Node* first_ = nullptr;
    Node* last_ = nullptr;
    std::size_t count_ = 0;
};

}  // namespace lensws
