#pragma once

#include <string>

#include "web/ByteSink.h"
#include "web/IdentifiedList.h"
#include "web/JsonOutputStream.h"
#include "web/JsonResponder.h"
#include "web/JsonWriter.h"
#include "web/MetaData.h"
#include "web/ResultDocument.h"

namespace webtest {

// Collects what a JsonOutputStream hands over, and how.
class StringSink : public lensws::ByteSink {
public:
    int write(const char* bytes, std::size_t length) override {
        ++writes;
        largestWrite = length > largestWrite ? length : largestWrite;
        text.append(bytes, length);
        return static_cast<int>(length);
    }
    std::string text;
    int writes = 0;
    std::size_t largestWrite = 0;
};

// The response object exactly as writeResult sends it.
inline std::string render(const lensws::ResultDocument& result,
                          const lensws::MetaData* dictionary = nullptr,
                          const lensws::IdentifiedList* identified = nullptr) {
    StringSink sink;
    lensws::JsonOutputStream out(sink);
    {
        lensws::JsonWriter writer(out);
        lensws::JsonResponder::writeResponseObject(writer, result, dictionary, identified);
    }
    out.Flush();
    return sink.text;
}

// Writes one value through `write(JsonWriter&)`.
template <class Write>
std::string renderValue(Write write) {
    StringSink sink;
    lensws::JsonOutputStream out(sink);
    {
        lensws::JsonWriter writer(out);
        write(writer);
    }
    out.Flush();
    return sink.text;
}

}  // namespace webtest
