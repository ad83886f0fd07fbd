#pragma once

namespace lensws {

class JsonWriter;

// An object a result document borrows and writes as one JSON value: the user record
// ("userInfo", "userInfos") and the sample quality ("quality"). `writeJson` must write exactly
// one complete value (typically startObject, members, endObject).
class JsonWritable {
public:
    virtual ~JsonWritable();
    virtual void writeJson(JsonWriter& writer) const = 0;
};

}  // namespace lensws
