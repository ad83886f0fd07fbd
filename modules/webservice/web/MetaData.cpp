#include "web/MetaData.h"

#include <cstring>
#include <new>

#include "web/JsonWriter.h"
#include "web/PoolText.h"

namespace lensws {

struct MetaData::Node {
    MetadataItem item;
    Node* next;
};

const MetadataItem& MetaData::Iterator::operator*() const {
    return static_cast<const Node*>(node_)->item;
}

MetaData::Iterator& MetaData::Iterator::operator++() {
    node_ = static_cast<const Node*>(node_)->next;
    return *this;
}

MetaData::MetaData(vtl_base_type::ByteAllocator& pool, const char* name)
    : pool_(&pool),
      name_(name != nullptr && name[0] != '\0' ? copyToPool(pool, name) : "metadata") {}

MetaData::~MetaData() = default;

MetadataItem& MetaData::append() {
    Node* node = new (pool_->allocate(sizeof(Node))) Node{MetadataItem(*pool_), nullptr};
    if (last_ != nullptr) {
        last_->next = node;
    } else {
        first_ = node;
    }
    last_ = node;
    ++count_;
    return node->item;
}

void MetaData::addInt(const char* key, std::int32_t value) {
    MetadataItem& item = append();
    item.setKey(key);
    item.setInt(value);
}

void MetaData::addIntFromByte(const char* key, std::uint8_t value) {
    addInt(key, static_cast<std::int32_t>(value));
}

void MetaData::addUint(const char* key, std::uint32_t value) {
    MetadataItem& item = append();
    item.setKey(key);
    item.setUint(value);
}

void MetaData::addFloat(const char* key, float value) {
    MetadataItem& item = append();
    item.setKey(key);
    item.setFloat(value);
}

void MetaData::addBool(const char* key, bool value) {
    MetadataItem& item = append();
    item.setKey(key);
    item.setBool(value);
}

void MetaData::addString(const char* key, const char* value) {
    MetadataItem& item = append();
    item.setKey(key);
    item.setString(value);
}

void MetaData::addItem(const MetadataItem& item) {
    append() = item;
}

const MetadataItem* MetaData::find(const char* key) const {
    for (const Node* node = first_; node != nullptr; node = node->next) {
        if (std::strcmp(node->item.key(), key) == 0) {
            return &node->item;
        }
    }
    return nullptr;
}

void MetaData::write(JsonWriter& writer) const {
    if (first_ == nullptr) {
        return;
    }
    writer.key(name_);
    writer.startArray();
    for (const Node* node = first_; node != nullptr; node = node->next) {
        node->item.write(writer);
    }
    writer.endArray();
}

}  // namespace lensws
