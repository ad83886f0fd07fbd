#include "simulator/CameraSettings.h"

#include "simulator/ByteReader.h"
#include "simulator/ByteWriter.h"

namespace ocusim {

namespace {

constexpr std::size_t kOldSize = 20;
constexpr std::size_t kNewSize = 46;

bool flag(std::uint8_t value) {
    return value <= 1;
}
bool inOpenTwo(float value) {
    return value > 0.0f && value < 2.0f;
}
bool inUnit(float value) {
    return value > 0.0f && value <= 1.0f;
}

}  // namespace

CameraSettings::CameraSettings(std::uint32_t firmware, LinkKind link)
    : firmware_(firmware), link_(link), field9_(link == LinkKind::Usb ? 2 : 6) {}

std::size_t CameraSettings::size() const {
    return firmware_ >= 0x2001C ? kNewSize : kOldSize;
}

std::vector<std::uint8_t> CameraSettings::encode() const {
    ByteWriter writer(kNewSize);
    writer.u8(field1_);
    writer.u8(deduplicate_);
    writer.f32(imposterThreshold_);
    writer.f32(field4_);
    writer.u8(field5_);
    writer.u8(field6_);
    writer.u8(field7_);
    writer.u8(field8_);
    writer.u8(field9_);
    writer.u8(field10_);
    writer.u32(field11_);
    if (firmware_ >= 0x2001C) {
        writer.u8(field12_);
        writer.u8(field13_);
        writer.f32(field14_);
        writer.f32(field15_);
        writer.u8(field16_);
        if (firmware_ >= 0x40000) {
            writer.u8(field17_);
            writer.u16(field18_);
        } else {
            writer.fill(0, 3);
        }
        writer.fill(0, 12);
    }
    return writer.take();
}

bool CameraSettings::apply(const std::uint8_t* data, std::size_t size) {
    if (size != this->size()) {
        return false;
    }
    ByteReader reader(data, size);
    CameraSettings next = *this;
    next.field1_ = reader.u8();
    next.deduplicate_ = reader.u8();
    next.imposterThreshold_ = reader.f32();
    next.field4_ = reader.f32();
    next.field5_ = reader.u8();
    next.field6_ = reader.u8();
    next.field7_ = reader.u8();
    next.field8_ = reader.u8();
    next.field9_ = reader.u8();
    next.field10_ = reader.u8();
    next.field11_ = reader.u32();
    bool valid = flag(next.field1_) && flag(next.deduplicate_) &&
                 inOpenTwo(next.imposterThreshold_) && inOpenTwo(next.field4_) &&
                 flag(next.field5_) && flag(next.field6_) && flag(next.field7_) &&
                 (next.field8_ == 1 || next.field8_ == 2 || next.field8_ == 4 ||
                  next.field8_ == 8 || next.field8_ == 16) &&
                 next.field9_ == (link_ == LinkKind::Usb ? 2 : 6) && next.field10_ >= 1 &&
                 next.field10_ <= 100;
    if (firmware_ >= 0x2001C) {
        next.field12_ = reader.u8();
        next.field13_ = reader.u8();
        next.field14_ = reader.f32();
        next.field15_ = reader.f32();
        next.field16_ = reader.u8();
        valid = valid && flag(next.field12_) &&
                (next.field13_ == 0 || (inUnit(next.field14_) && inUnit(next.field15_)));
        if (firmware_ >= 0x40000) {
            next.field17_ = reader.u8();
            next.field18_ = reader.u16();
            valid = valid && (next.field17_ == 1 || next.field17_ == 2 || next.field17_ == 4) &&
                    !(next.field18_ >= 1 && next.field18_ <= 9);
        }
    }
    if (!valid || !reader.ok()) {
        return false;
    }
    *this = next;
    return true;
}

}  // namespace ocusim
