#include "web/JSConfiguration.h"

#include <cmath>

namespace lensws {

namespace {

// Largest magnitude a configuration value may have to be read as a float.
constexpr double kFloatLimit = 3.4028234e38;

// Fills `item` from one element of the "item" array; false when the element is invalid.
bool readItem(const JsonValue& element, MetadataItem& item) {
    const auto key = element.FindMember("key");
    const auto value = element.FindMember("value");
    if (key == element.MemberEnd() || !key->value.IsString() || value == element.MemberEnd()) {
        return false;
    }
    item.setKey(key->value.GetString());
    const JsonValue& v = value->value;
    if (v.IsObject()) {
        return false;
    }
    if (v.IsInt()) {
        item.setInt(v.GetInt());
    } else if (v.IsUint()) {
        item.setUint(v.GetUint());
    } else if (v.IsString()) {
        item.setString(v.GetString());
    } else if (v.IsBool()) {
        item.setBool(v.GetBool());
    } else if (v.IsDouble() && std::fabs(v.GetDouble()) <= kFloatLimit) {
        item.setFloat(static_cast<float>(v.GetDouble()));
    } else if (v.IsDouble()) {
        item.setDouble(v.GetDouble());
    }
    return true;
}

}  // namespace

JSConfiguration::JSConfiguration(vtl_base_type::ByteAllocator& pool)
    : MetaData(pool, "configuration") {}

bool JSConfiguration::read(const JsonValue& value) {
    if (!value.IsObject()) {
        return false;
    }
    const auto items = value.FindMember("item");
    if (items == value.MemberEnd() || !items->value.IsArray()) {
        return false;
    }
    for (const JsonValue& element : items->value.GetArray()) {
        if (!element.IsObject()) {
            continue;
        }
        MetadataItem item(pool());
        if (!readItem(element, item)) {
            return false;
        }
        addItem(item);
    }
    return true;
}

bool JSConfiguration::getBool(const char* key, bool& out) const {
    const MetadataItem* item = find(key);
    if (item == nullptr || item->valueType() != kBoolean) {
        return false;
    }
    out = item->boolValue();
    return true;
}

bool JSConfiguration::getFloat(const char* key, float& out) const {
    const MetadataItem* item = find(key);
    if (item == nullptr || item->valueType() != kFloat) {
        return false;
    }
    out = item->floatValue();
    return true;
}

bool JSConfiguration::getInt(const char* key, std::int32_t& out) const {
    const MetadataItem* item = find(key);
    if (item == nullptr || item->valueType() != kInt32) {
        return false;
    }
    out = item->intValue();
    return true;
}

}  // namespace lensws
