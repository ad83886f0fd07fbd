#include "web/JsonWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace lensws {

namespace {

// Enough for "%f" of any float (at most 39 integral digits, a sign, a point, six decimals).
constexpr std::size_t kFloatTextSize = 64;

rapidjson::SizeType sizeOf(std::size_t length) {
    return static_cast<rapidjson::SizeType>(length);
}

}  // namespace

JsonWriter::JsonWriter(JsonOutputStream& out) : writer_(out, &stackAllocator_) {}

void JsonWriter::startObject() {
    writer_.StartObject();
}

void JsonWriter::endObject() {
    writer_.EndObject();
}

void JsonWriter::startArray() {
    writer_.StartArray();
}

void JsonWriter::endArray() {
    writer_.EndArray();
}

void JsonWriter::key(const char* name) {
    writer_.Key(name, sizeOf(std::strlen(name)));
}

void JsonWriter::string(const char* text, std::size_t length) {
    writer_.String(text != nullptr ? text : "", sizeOf(text != nullptr ? length : 0));
}

void JsonWriter::string(const char* text) {
    string(text, text != nullptr ? std::strlen(text) : 0);
}

void JsonWriter::boolean(bool value) {
    writer_.Bool(value);
}

void JsonWriter::int32(std::int32_t value) {
    writer_.Int(value);
}

void JsonWriter::uint32(std::uint32_t value) {
    writer_.Uint(value);
}

// JSON has no infinities or NaN; such a value (never produced by the service's own numbers) is
// written as null so that the document stays valid.
void JsonWriter::floatFixed(float value) {
    if (!std::isfinite(value)) {
        writer_.Null();
        return;
    }
    char text[kFloatTextSize];
    const int length = std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    writer_.RawValue(text, static_cast<std::size_t>(length), rapidjson::kNumberType);
}

void JsonWriter::doubleShortest(double value) {
    if (!std::isfinite(value)) {
        writer_.Null();
        return;
    }
    writer_.Double(value);
}

void JsonWriter::textMember(const char* name, const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    key(name);
    string(text);
}

void JsonWriter::boolMember(const char* name, bool value) {
    key(name);
    boolean(value);
}

}  // namespace lensws
