#include "web/ParameterDescriptor.h"

#include <new>

#include "web/JsonWriter.h"
#include "web/PoolText.h"

namespace lensws {

namespace {

const char* kindName(ParameterKind kind) {
    switch (kind) {
        case kKindResource:
            return "Resource";
        case kKindString:
            return "String";
        case kKindResolution:
            return "Resolution";
        default:
            return "Unknown";
    }
}

}  // namespace

const char* ParameterDescriptor::copy(const char* text) {
    return copyToPool(*pool_, text);
}

void ParameterDescriptor::setName(const char* name) {
    name_ = copy(name);
}

void ParameterDescriptor::addResource(const char* uri, const char* contentType,
                                      const char* relationship) {
    ResourceNode* node = new (pool_->allocate(sizeof(ResourceNode))) ResourceNode();
    node->ref.uri = copy(uri);
    node->ref.contentType = copy(contentType);
    node->ref.relationship = copy(relationship);
    node->next = nullptr;
    if (lastResource_ != nullptr) {
        lastResource_->next = node;
    } else {
        resources_ = node;
    }
    lastResource_ = node;
    ++resourceCount_;
    kind_ = kKindResource;
}

const ResourceRef& ParameterDescriptor::resource(std::size_t i) const {
    const ResourceNode* node = resources_;
    while (i-- > 0) {
        node = node->next;
    }
    return node->ref;
}

void ParameterDescriptor::setStrings(const char* const* strings, std::size_t count) {
    const char** copies = nullptr;
    if (count != 0) {
        copies = static_cast<const char**>(pool_->allocate(count * sizeof(const char*)));
        for (std::size_t i = 0; i < count; ++i) {
            copies[i] = copy(strings[i]);
        }
    }
    strings_ = copies;
    stringCount_ = count;
    kind_ = kKindString;
}

void ParameterDescriptor::setResolution(double width, double height, const char* unit) {
    resolution_.width = width;
    resolution_.height = height;
    resolution_.unit = copy(unit);
    kind_ = kKindResolution;
}

void ParameterDescriptor::write(JsonWriter& writer) const {
    writer.startObject();
    writer.textMember("name", name_);
    writer.key("type");
    writer.string(kindName(kind_));
    writer.boolMember("readOnly", readOnly_ != 0);
    if (resources_ != nullptr) {
        writer.key("defaultValue");
        writer.startArray();
        for (const ResourceNode* node = resources_; node != nullptr; node = node->next) {
            writer.startObject();
            writer.textMember("uri", node->ref.uri);
            writer.textMember("contentType", node->ref.contentType);
            writer.textMember("relationship", node->ref.relationship);
            writer.endObject();
        }
        writer.endArray();
    }
    if (stringCount_ != 0) {
        writer.key("defaultValue");
        writer.startArray();
        for (std::size_t i = 0; i < stringCount_; ++i) {
            writer.string(strings_[i]);
        }
        writer.endArray();
    }
    if (kind_ == kKindResolution) {
        writer.key("defaultValue");
        writer.startObject();
        writer.key("width");
        writer.doubleShortest(resolution_.width);
        writer.key("height");
        writer.doubleShortest(resolution_.height);
        writer.textMember("unit", resolution_.unit);
        writer.endObject();
    }
    writer.endObject();
}

}  // namespace lensws
