#include "capture/UserRecord.h"

#include <new>

#include "capture/CaptureRecord.h"
#include "imaging/Base64Text.h"
#include "web/JsonWriter.h"
#include "web/WSMemPool.h"

namespace lensws {

namespace {

void base64Member(JsonWriter& writer, const char* name, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        return;
    }
    const Base64Text text = toBase64(bytes.data(), bytes.size(), WSMemPool::access());
    if (text.status() != ResultStatus::success) {
        throw std::bad_alloc();
    }
    writer.key(name);
    writer.string(text.text(), text.length());
}

void intMember(JsonWriter& writer, const char* name, std::int32_t value) {
    writer.key(name);
    writer.int32(value);
}

const JsonValue* member(const JsonValue& object, const char* name) {
    const auto found = object.FindMember(name);
    return found != object.MemberEnd() ? &found->value : nullptr;
}

bool readText(const JsonValue& object, const char* name, std::string& out) {
    const JsonValue* value = member(object, name);
    if (value == nullptr || !value->IsString()) {
        return false;
    }
    out.assign(value->GetString(), value->GetStringLength());
    return true;
}

bool readInt(const JsonValue& object, const char* name, std::int32_t& out) {
    const JsonValue* value = member(object, name);
    if (value == nullptr || !value->IsInt()) {
        return false;
    }
    out = value->GetInt();
    return true;
}

bool readBase64(const JsonValue& object, const char* name, std::vector<std::uint8_t>& out) {
    const JsonValue* value = member(object, name);
    if (value == nullptr || !value->IsString()) {
        return false;
    }
    const std::size_t length = value->GetStringLength();
    out.resize(length / 4 * 3 + 1);
    out.resize(decodeBase64(value->GetString(), length, out.data()));
    return true;
}

}  // namespace

void UserRecord::writeJson(JsonWriter& writer) const {
    writer.startObject();
    writer.key("biographicInfo");
    writer.startObject();
    writer.textMember("name", name.c_str());
    intMember(writer, "age", age);
    writer.textMember("address", address.c_str());
    writer.textMember("phone", phone.c_str());
    base64Member(writer, "blob", blob);
    writer.endObject();
    writer.textMember("pid", pid.c_str());
    intMember(writer, "role", role);
    intMember(writer, "group", group);
    if (!irisTemplates.empty()) {
        writer.key("irisTemplates");
        writer.startArray();
        for (const IrisTemplate& entry : irisTemplates) {
            writer.startObject();
            writer.textMember("submodality", irisPositionName(entry.irisPosition));
            base64Member(writer, "data", entry.data);
            writer.endObject();
        }
        writer.endArray();
    }
    writer.endObject();
}

bool UserRecord::read(const JsonValue& value) {
    if (!value.IsObject()) {
        return false;
    }
    const JsonValue* biographic = member(value, "biographicInfo");
    if (biographic == nullptr || !biographic->IsObject()) {
        return false;
    }
    irisTemplates.clear();
    return readText(*biographic, "name", name) && readInt(*biographic, "age", age) &&
           readText(*biographic, "address", address) && readText(*biographic, "phone", phone) &&
           readBase64(*biographic, "blob", blob) && readText(value, "pid", pid) &&
           readInt(value, "role", role) && readInt(value, "group", group);
}

}  // namespace lensws
