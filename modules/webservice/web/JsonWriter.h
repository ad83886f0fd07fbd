#pragma once

#include <rapidjson/encodings.h>
#include <rapidjson/prettywriter.h>

#include <cstddef>
#include <cstdint>

#include "web/InlineAllocator.h"
#include "web/JsonOutputStream.h"

namespace lensws {

// The pretty-printing JSON writer of every answer: RapidJSON's PrettyWriter with a four-blank
// indent, writing into a JsonOutputStream. Its nesting stack lives in a private allocator with
// a 1024-byte first chunk inside the writer and 1024-byte further chunks, so writing an answer
// costs no heap allocation.
//
// Text rules: '"' and '\' are escaped; backspace, form feed, line feed, carriage return and tab
// as \b \f \n \r \t; every other control character as \u00XX (upper-case hexadecimal); all
// other bytes are copied unchanged. Calls must form valid JSON (a key before each member
// value); the writer does not check this in release builds.
//
// One writer writes one value. The output stream's exceptions pass through.
class JsonWriter {
public:
    explicit JsonWriter(JsonOutputStream& out);
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void startObject();
    void endObject();
    void startArray();
    void endArray();

    // A member name (zero-terminated).
    void key(const char* name);
    // A string of exactly `length` bytes.
    void string(const char* text, std::size_t length);
    // A zero-terminated string; null is written as the empty string.
    void string(const char* text);
    void boolean(bool value);
    void int32(std::int32_t value);
    void uint32(std::uint32_t value);
    // printf "%f": six decimals (1.05f is written 1.050000).
    void floatFixed(float value);
    // The shortest form that reads back as the same double; integral values get ".0" (640.0).
    void doubleShortest(double value);

    // Member helpers. A text member whose value is absent or empty is left out.
    void textMember(const char* name, const char* text);
    void boolMember(const char* name, bool value);

private:
    using Writer = rapidjson::PrettyWriter<JsonOutputStream, rapidjson::UTF8<>, rapidjson::UTF8<>,
                                           vtl_base_type::ByteAllocator>;

    vtl_base_type::InlineAllocator<1024, 1024> stackAllocator_;
    Writer writer_;
};

}  // namespace lensws
