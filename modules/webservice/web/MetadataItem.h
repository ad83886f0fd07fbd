#pragma once

#include <cstdint>

#include "web/GrowingAllocator.h"
#include "web/ParameterDescriptor.h"
#include "web/ValueRange.h"

namespace lensws {

class JsonWriter;

// The type code of a dictionary item's value.
enum MetadataValueType : std::int32_t {
    kNoValue = 0,     // no "value" member
    kInt32 = 1,       // decimal integer
    kUint32 = 2,      // decimal integer
    kFloat = 3,       // printf "%f" (1.05 → 1.050000)
    kDouble = 4,      // shortest round-trip form, integral values with ".0" (640 → 640.0)
    kBoolean = 5,     // true / false
    kText = 6,        // string; an empty text writes no "value"
    kDescriptor = 7,  // ParameterDescriptor object
};

// One key/value item of a dictionary (MetaData). Written as an object: "key" (left out when
// empty), "value" per the type, "range" when the range is present.
//
// Texts are copied into the request's pool given at construction, which must outlive the item.
// Items are trivially destructible: they live in the pool and are never destroyed one by one.
class MetadataItem {
public:
    explicit MetadataItem(vtl_base_type::ByteAllocator& pool) : pool_(&pool), descriptor_(&pool) {
        value_.d = 0;
    }

    void setKey(const char* key);
    void setInt(std::int32_t value);
    void setUint(std::uint32_t value);
    void setFloat(float value);
    void setDouble(double value);
    void setBool(bool value);
    // Copies the text (null is taken as the empty text).
    void setString(const char* text);
    // Sets type 7 and gives the descriptor to fill.
    ParameterDescriptor& setDescriptor();
    void setRange(std::uint8_t minimum, std::uint8_t maximum, bool minimumIsExclusive,
                  bool maximumIsExclusive);

    MetadataValueType valueType() const { return valueType_; }
    const char* key() const { return key_; }
    std::int32_t intValue() const { return value_.i; }
    std::uint32_t uintValue() const { return value_.u; }
    float floatValue() const { return value_.f; }
    double doubleValue() const { return value_.d; }
    bool boolValue() const { return value_.b; }
    const char* textValue() const { return value_.text; }
    const ParameterDescriptor& descriptor() const { return descriptor_; }
    const ValueRange& range() const { return range_; }

    void write(JsonWriter& writer) const;

private:
    union Value {
        std::int32_t i;
        std::uint32_t u;
        float f;
        double d;
        bool b;
        const char* text;
    };

    MetadataValueType valueType_ = kNoValue;
    Value value_;
    vtl_base_type::ByteAllocator* pool_;
    const char* key_ = "";
    ParameterDescriptor descriptor_;
    ValueRange range_;
};

}  // namespace lensws
