#include "simulator/TemplateCodec.h"

#include <cstring>

#include "simulator/ByteReader.h"
#include "simulator/ByteWriter.h"

namespace ocusim {

namespace {
constexpr char kMagic[4] = {'V', 'T', 'P', 'L'};
}

void appendTemplate(const EyeTemplate& eyeTemplate, std::vector<std::uint8_t>& block) {
    ByteWriter writer(2200);
    writer.bytes(reinterpret_cast<const std::uint8_t*>(kMagic), 4);
    writer.u8(kTemplateFormatVersion);
    writer.u8(eyeTemplate.eyePosition);
    writer.u8(eyeTemplate.quality);
    const std::size_t labelLength =
        eyeTemplate.label.size() < kMaxTemplateLabel ? eyeTemplate.label.size() : kMaxTemplateLabel;
    writer.u8(static_cast<std::uint8_t>(labelLength));
    writer.u32(eyeTemplate.creatorVersion);
    writer.u16(IrisCode::kColumns);
    writer.u16(IrisCode::kRows);
    writer.bytes(reinterpret_cast<const std::uint8_t*>(eyeTemplate.label.data()), labelLength);
    writer.bytes(eyeTemplate.code.packBits());
    writer.bytes(eyeTemplate.code.packMask());
    block.insert(block.end(), writer.data().begin(), writer.data().end());
}

std::vector<std::uint8_t> encodeTemplate(const EyeTemplate& eyeTemplate) {
    std::vector<std::uint8_t> block;
    appendTemplate(eyeTemplate, block);
    return block;
}

TemplateError decodeTemplateBlock(const std::uint8_t* data, std::size_t size,
                                  std::vector<EyeTemplate>& templates) {
    templates.clear();
    ByteReader reader(data, size);
    if (size == 0) {
        return TemplateError::Corrupted;
    }
    while (reader.remaining() > 0) {
        const std::uint8_t* magic = reader.bytes(4);
        if (magic == nullptr || std::memcmp(magic, kMagic, 4) != 0) {
            templates.clear();
            return TemplateError::Corrupted;
        }
        EyeTemplate eyeTemplate;
        const std::uint8_t version = reader.u8();
        eyeTemplate.eyePosition = reader.u8();
        eyeTemplate.quality = reader.u8();
        const std::uint8_t labelLength = reader.u8();
        eyeTemplate.creatorVersion = reader.u32();
        const std::uint16_t columns = reader.u16();
        const std::uint16_t rows = reader.u16();
        if (!reader.ok()) {
            templates.clear();
            return TemplateError::Corrupted;
        }
        if (version != kTemplateFormatVersion) {
            templates.clear();
            return TemplateError::UnknownVersion;
        }
        if (columns != IrisCode::kColumns || rows != IrisCode::kRows ||
            eyeTemplate.eyePosition > 2 || eyeTemplate.quality > 100 ||
            labelLength > kMaxTemplateLabel) {
            templates.clear();
            return TemplateError::Corrupted;
        }
        const std::uint8_t* label = reader.bytes(labelLength);
        const std::uint8_t* bits = reader.bytes(IrisCode::kPackedBytes);
        const std::uint8_t* mask = reader.bytes(IrisCode::kPackedBytes);
        if (!reader.ok()) {
            templates.clear();
            return TemplateError::Corrupted;
        }
        eyeTemplate.label.assign(reinterpret_cast<const char*>(label), labelLength);
        eyeTemplate.code.unpack(bits, mask, IrisCode::kPackedBytes);
        templates.push_back(std::move(eyeTemplate));
    }
    return TemplateError::None;
}

}  // namespace ocusim
