#include "simulator/ImageRecordWriter.h"

#include <cmath>

#include "simulator/ByteWriter.h"

namespace ocusim {

namespace {
std::uint16_t pixels(float value) {
    return value <= 0 ? 0 : static_cast<std::uint16_t>(std::lround(value));
}
}  // namespace

std::vector<std::uint8_t> writeImageRecord(const ImageRecordInput& input, bool longForm) {
    ByteWriter writer(input.bytes.size() + input.attached.size() + 64);
    if (longForm) {
        writer.u8(0xFF);
        writer.u32(kImageRecordVersion);
    }
    writer.u8(input.eyePosition);
    writer.u16(input.quality);
    writer.u32(static_cast<std::uint32_t>(input.attached.size()));
    writer.bytes(input.attached);
    if (longForm) {
        writer.u16(input.kind);
        writer.u16(input.format);
    }
    if (longForm && input.format == 2) {
        writer.u32(static_cast<std::uint32_t>(input.width));
        writer.u32(static_cast<std::uint32_t>(input.height));
    } else {
        writer.u32(static_cast<std::uint32_t>(input.bytes.size()));
        writer.u32(0);
    }
    if (longForm) {
        const std::size_t gapStart = writer.size();
        writer.u16(pixels(input.geometry.centreX));
        writer.u16(pixels(input.geometry.centreY));
        writer.u16(pixels(input.geometry.irisRadius));
        writer.u16(pixels(input.geometry.pupilRadius));
        writer.u8(input.usableArea);
        writer.fill(0, kImageRecordGap - (writer.size() - gapStart));
    }
    writer.bytes(input.bytes);
    return writer.take();
}

}  // namespace ocusim
