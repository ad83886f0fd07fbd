#include "simulator/CameraTestKit.h"

#include <cstring>

#include "sdk/CommandCode.h"
#include "sdk/ProductTable.h"

namespace ocusim::test {

namespace {

DeviceProfile kitProfile(const KitOptions& options) {
    DeviceProfile profile;
    profile.vendorId = sdk::kVendorId;
    profile.productId = sdk::defaultProduct(options.binocular).productId;
    profile.modelName = sdk::defaultProduct(options.binocular).modelName;
    profile.binocular = options.binocular;
    profile.firmware = options.firmware;
    profile.secondFirmware = 0x30018;
    profile.driverVersion = 0x30105;
    profile.serialNumber = "KIT0001";
    profile.link = options.link;
    return profile;
}

SceneControl kitScene(const KitOptions& options) {
    SceneControl scene;
    scene.subject = options.subject;
    scene.captureMs = options.captureMs;
    return scene;
}

}  // namespace

CameraKit::CameraKit(const KitOptions& options)
    : now(Clock::now()),
      gallery(1000, options.galleryFile),
      camera(kitProfile(options), kitScene(options), generator, gallery, 2000, 2) {
    gallery.open();
}

CommandOutcome CameraKit::run(std::uint16_t code, const std::vector<std::uint8_t>& params) {
    CommandBlock block;
    block.code = code;
    block.params = params;
    return camera.begin(block, now);
}

CommandOutcome CameraKit::runWithData(std::uint16_t code, const std::vector<std::uint8_t>& params,
                                      const std::vector<std::uint8_t>& data) {
    CommandBlock block;
    block.code = code;
    block.params = params;
    CommandOutcome first = camera.begin(block, now);
    if (first.dataOutLength != data.size()) {
        return first;
    }
    return camera.finish(block, data, now);
}

std::uint16_t CameraKit::capture(const std::string& subject, std::uint8_t eyeSubtype) {
    state().scene.subject = subject;
    if (!state().initialised) {
        run(sdk::command::kInitCamera);
    }
    const std::uint16_t status = run(sdk::command::kStartCapture, startParams(eyeSubtype)).status;
    advance(static_cast<int>(state().scene.captureMs) + 1);
    return status;
}

std::vector<std::uint8_t> startParams(std::uint8_t eyeSubtype) {
    ByteWriter writer;
    writer.u8(1);
    writer.u16(3);
    writer.u8(1);
    writer.u8(1);
    writer.u8(1);
    writer.u8(eyeSubtype);
    return writer.take();
}

std::vector<std::uint8_t> imageParams(std::uint8_t kind, std::uint8_t format,
                                      std::uint8_t compressionKind,
                                      std::uint32_t compressionValue) {
    ByteWriter writer;
    writer.u8(kind);
    writer.u8(format);
    writer.u8(compressionKind);
    writer.u32(compressionValue);
    writer.u8(0);
    return writer.take();
}

std::vector<std::uint8_t> isoParams(std::uint8_t revision, std::uint8_t kind, std::uint8_t format,
                                    std::uint8_t eyePosition, std::uint8_t compressionKind,
                                    std::uint32_t compressionValue,
                                    const std::vector<std::uint8_t>& dateTime) {
    ByteWriter writer;
    writer.u8(revision);
    writer.u8(kind);
    writer.u8(format);
    writer.u8(compressionKind);
    writer.u32(compressionValue);
    writer.u8(eyePosition);
    if (dateTime.empty()) {
        writer.fill(0xFF, 9);
    } else {
        writer.bytes(dateTime);
    }
    return writer.take();
}

std::vector<std::uint8_t> textParam(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) {
        return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

float f32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    const std::uint32_t bits = u32At(bytes, offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool splitImageEntries(const std::vector<std::uint8_t>& data, std::vector<ImageEntry>& entries) {
    entries.clear();
    std::size_t offset = 0;
    while (offset < data.size()) {
        if (data.size() - offset < 10) {
            return false;
        }
        ImageEntry entry;
        entry.kind = data[offset];
        entry.format = data[offset + 1];
        entry.first = u32At(data, offset + 2);
        entry.second = u32At(data, offset + 6);
        const std::uint64_t size = entry.format == 2
                                       ? static_cast<std::uint64_t>(entry.first) * entry.second
                                       : entry.first;
        offset += 10;
        if (size > data.size() - offset) {
            return false;
        }
        entry.bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                           data.begin() + static_cast<std::ptrdiff_t>(offset + size));
        offset += size;
        entries.push_back(std::move(entry));
    }
    return true;
}

}  // namespace ocusim::test
