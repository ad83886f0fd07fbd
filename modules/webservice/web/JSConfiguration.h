#pragma once

#include <cstdint>

#include "web/JsonValue.h"
#include "web/MetaData.h"

namespace lensws {

// The configuration document of POST /1.0/configure, a dictionary named "configuration":
//   {"configuration": {"item": [{"key": "genuineThreshold", "value": 1.05}, ...]}}
// `read` fills it from the member's value; the typed look-ups take the first item with a key
// and accept only its exact type.
class JSConfiguration : public MetaData {
public:
    explicit JSConfiguration(vtl_base_type::ByteAllocator& pool);

    // Reader of the "configuration" member: the value must be an object with an "item" array;
    // array elements that are not objects are skipped; every object element must have a string
    // "key" and a "value" that is not an object. The value's type: an integer that fits
    // 32 bits signed → 1, else 32 bits unsigned → 2; a string → 6; a boolean → 5; a number with
    // a fraction or exponent within ±3.4028234e38 → 3 (rounded to float), any other double →
    // 4; anything else (null, an array, a wider integer) → 0. False when the document is
    // invalid; the items read so far stay.
    bool read(const JsonValue& value);

    // The first item with `key`; true only when it has type 5, 3 or 1 respectively.
    bool getBool(const char* key, bool& out) const;
    bool getFloat(const char* key, float& out) const;
    bool getInt(const char* key, std::int32_t& out) const;
};

}  // namespace lensws
