#pragma once

#include <cstddef>
#include <cstdint>

#include "web/GrowingAllocator.h"
#include "web/ResourceRef.h"

namespace lensws {

class JsonWriter;

// What a parameter descriptor holds as its default value.
enum ParameterKind : std::int32_t {
    kKindUnset = 0,
    kKindResource = 1,
    kKindString = 2,
    kKindResolution = 3,
};

// The value of a type-7 dictionary item: a parameter's name, type, read-only flag and default
// value. Written as an object, in this order: "name" (left out when empty); "type" ("Resource",
// "String", "Resolution" or "Unknown"); "readOnly"; then a "defaultValue" member for each part
// that has content: the resources as an array of objects, the strings as an array of strings,
// and for kind 3 the resolution as {"width", "height", "unit"} (doubles; unit left out when
// empty).
//
// Texts and lists are copied into the request's pool given at construction. A copy of a
// descriptor shares its lists with the original, so a descriptor is not changed after it was
// handed to MetaData::addItem.
class ParameterDescriptor {
public:
    struct Resolution {
        double width = 0;
        double height = 0;
        const char* unit = "";
    };

    // `pool` (not owned) must outlive the descriptor; it may be null only while nothing is set.
    explicit ParameterDescriptor(vtl_base_type::ByteAllocator* pool = nullptr) : pool_(pool) {}

    void setName(const char* name);
    void setReadOnly(bool readOnly) { readOnly_ = readOnly ? 1 : 0; }
    // Appends a resource; sets kind 1.
    void addResource(const char* uri, const char* contentType, const char* relationship);
    // Replaces the strings with copies of `count` texts; sets kind 2.
    void setStrings(const char* const* strings, std::size_t count);
    // Sets kind 3.
    void setResolution(double width, double height, const char* unit);

    const char* name() const { return name_; }
    bool readOnly() const { return readOnly_ != 0; }
    ParameterKind kind() const { return kind_; }
    std::size_t resourceCount() const { return resourceCount_; }
    const ResourceRef& resource(std::size_t i) const;
    std::size_t stringCount() const { return stringCount_; }
    const char* string(std::size_t i) const { return strings_[i]; }
    const Resolution& resolution() const { return resolution_; }

    void write(JsonWriter& writer) const;

private:
    struct ResourceNode {
        ResourceRef ref;
        ResourceNode* next;
    };

    const char* copy(const char* text);

    vtl_base_type::ByteAllocator* pool_;
    const char* name_ = "";
    std::int32_t readOnly_ = 0;
    ResourceNode* resources_ = nullptr;
    ResourceNode* lastResource_ = nullptr;
    std::size_t resourceCount_ = 0;
    const char* const* strings_ = nullptr;
    std::size_t stringCount_ = 0;
    Resolution resolution_;
    ParameterKind kind_ = kKindUnset;
};

}  // namespace lensws
