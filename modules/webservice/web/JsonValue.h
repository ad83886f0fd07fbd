#pragma once

#include <rapidjson/document.h>

#include "web/GrowingAllocator.h"

namespace lensws {

// A parsed request body (RapidJSON) whose values and parse stack live in a ByteAllocator.
using JsonDocument = rapidjson::GenericDocument<rapidjson::UTF8<>, vtl_base_type::ByteAllocator,
                                                vtl_base_type::ByteAllocator>;
// A value of such a document, as request-body readers receive it. Look members up with
// FindMember (operator[] asserts that the member exists).
using JsonValue = rapidjson::GenericValue<rapidjson::UTF8<>, vtl_base_type::ByteAllocator>;

}  // namespace lensws
