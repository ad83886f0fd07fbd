#include "web/MetadataItem.h"

#include "web/JsonWriter.h"
#include "web/PoolText.h"

namespace lensws {

void MetadataItem::setKey(const char* key) {
    key_ = copyToPool(*pool_, key);
}

void MetadataItem::setInt(std::int32_t value) {
    valueType_ = kInt32;
    value_.i = value;
}

void MetadataItem::setUint(std::uint32_t value) {
    valueType_ = kUint32;
    value_.u = value;
}

void MetadataItem::setFloat(float value) {
    valueType_ = kFloat;
    value_.f = value;
}

void MetadataItem::setDouble(double value) {
    valueType_ = kDouble;
    value_.d = value;
}

void MetadataItem::setBool(bool value) {
    valueType_ = kBoolean;
    value_.b = value;
}

void MetadataItem::setString(const char* text) {
    valueType_ = kText;
    value_.text = copyToPool(*pool_, text);
}

ParameterDescriptor& MetadataItem::setDescriptor() {
    valueType_ = kDescriptor;
    return descriptor_;
}

void MetadataItem::setRange(std::uint8_t minimum, std::uint8_t maximum, bool minimumIsExclusive,
                            bool maximumIsExclusive) {
    range_.present = 1;
    range_.minimum = minimum;
    range_.maximum = maximum;
    range_.minimumIsExclusive = minimumIsExclusive;
    range_.maximumIsExclusive = maximumIsExclusive;
}

void MetadataItem::write(JsonWriter& writer) const {
    writer.startObject();
    writer.textMember("key", key_);
    switch (valueType_) {
        case kInt32:
            writer.key("value");
            writer.int32(value_.i);
            break;
        case kUint32:
            writer.key("value");
            writer.uint32(value_.u);
            break;
        case kFloat:
            writer.key("value");
            writer.floatFixed(value_.f);
            break;
        case kDouble:
            writer.key("value");
            writer.doubleShortest(value_.d);
            break;
        case kBoolean:
            writer.boolMember("value", value_.b);
            break;
        case kText:
            writer.textMember("value", value_.text);
            break;
        case kDescriptor:
            writer.key("value");
            descriptor_.write(writer);
            break;
        default:
            break;
    }
    if (range_.present == 1) {
        writer.key("range");
        writer.startObject();
        writer.key("minimum");
        writer.uint32(range_.minimum);
        writer.key("maximum");
        writer.uint32(range_.maximum);
        writer.boolMember("minimumIsExclusive", range_.minimumIsExclusive);
        writer.boolMember("maximumIsExclusive", range_.maximumIsExclusive);
        writer.endObject();
    }
    writer.endObject();
}

}  // namespace lensws
