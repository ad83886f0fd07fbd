#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "web/JsonValue.h"
#include "web/JsonWritable.h"

namespace lensws {

// A gallery user's biographic record with its iris templates, as "userInfo" carries it. This
// service keeps no such records (the camera stores templates only); the JSON form and its
// reader are fixed here so that a record store added later speaks the same format.
//
// JSON form, members in this order: "biographicInfo" {"name", "age", "address", "phone",
// "blob"} (always written), "pid", "role", "group", "irisTemplates" [{"submodality", "data"}].
// Texts are left out when empty; "blob" and each template's "data" are Base64 and left out
// when there are no bytes; "irisTemplates" is left out when there are none.
class UserRecord : public JsonWritable {
public:
    struct IrisTemplate {
        std::int32_t irisPosition = 0;
        std::vector<std::uint8_t> data;
    };

    std::string name;
    std::int32_t age = 0;
    std::string address;
    std::string phone;
    std::vector<std::uint8_t> blob;
    std::string pid;
    std::int32_t role = 0;
    std::int32_t group = 0;
    std::vector<IrisTemplate> irisTemplates;

    // Throws std::bad_alloc when the service memory pool cannot hold a Base64 text.
    void writeJson(JsonWriter& writer) const override;

    // Fills the record from a "userInfo" value: an object with "biographicInfo" (an object with
    // the strings "name", "address", "phone", "blob" (Base64) and the integer "age"), the
    // string "pid" and the integers "role" and "group". Every one is required; the first
    // missing or wrongly typed member fails the reading, and the record is then left
    // unspecified. "irisTemplates" is not read: the template list is left empty.
    bool read(const JsonValue& value);
};

}  // namespace lensws
