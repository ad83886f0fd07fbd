#include "simulator/IsoRecordWriter.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "simulator/ByteWriter.h"

namespace ocusim {

namespace {

constexpr std::uint16_t kUndefinedAngle = 0xFFFF;

std::uint16_t clampU16(float value) {
    if (value <= 0) {
        return 0;
    }
    return value >= 65535 ? 65535 : static_cast<std::uint16_t>(std::lround(value));
}

}  // namespace

void isoDateTimeNow(std::uint8_t (&dateTime)[9]) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    const int year = utc.tm_year + 1900;
    dateTime[0] = static_cast<std::uint8_t>(year >> 8);
    dateTime[1] = static_cast<std::uint8_t>(year);
    dateTime[2] = static_cast<std::uint8_t>(utc.tm_mon + 1);
    dateTime[3] = static_cast<std::uint8_t>(utc.tm_mday);
    dateTime[4] = static_cast<std::uint8_t>(utc.tm_hour);
    dateTime[5] = static_cast<std::uint8_t>(utc.tm_min);
    dateTime[6] = static_cast<std::uint8_t>(utc.tm_sec);
    dateTime[7] = static_cast<std::uint8_t>(millis >> 8);
    dateTime[8] = static_cast<std::uint8_t>(millis);
}

std::vector<std::uint8_t> writeIso2005(const std::vector<IsoImage>& images,
                                       const IsoCapture& capture) {
    ByteWriter writer;
    if (images.empty()) {
        return {};
    }
    const IsoImage& first = images.front();
    writer.bytes(reinterpret_cast<const std::uint8_t*>("IIR\0"), 4);
    writer.bytes(reinterpret_cast<const std::uint8_t*>("010\0"), 4);
    writer.u32be(0);  // record length, filled in below
    writer.u16be(capture.productId);
    writer.u8(static_cast<std::uint8_t>(images.size()));
    writer.u16be(kIso2005HeaderSize);
    bool occluded = false;
    for (const IsoImage& image : images) {
        occluded = occluded || image.occluded;
    }
    // Horizontal and vertical orientation "base"; scan type not stated; occlusions present.
    const std::uint16_t properties = 0x0001 | (0x0001 << 2) | (occluded ? 0x0040 : 0);
    writer.u16be(properties);
    writer.u16be(clampU16(2 * first.geometry.irisRadius));
    writer.u16be(first.format == 10 ? 0x000E : 0x0002);
    writer.u16be(static_cast<std::uint16_t>(first.width));
    writer.u16be(static_cast<std::uint16_t>(first.height));
    writer.u8(8);  // intensity depth
    writer.u8(0);  // image transformation: undefined
    writer.paddedText("D" + capture.serialNumber, 16);

    std::uint16_t sequence = 1;
    for (const IsoImage& image : images) {
        writer.u8(image.eyeLabel);
        writer.u16be(1);  // one image of this eye
        writer.u16be(sequence++);
        writer.u8(image.quality);
        writer.u16be(kUndefinedAngle);
        writer.u16be(kUndefinedAngle);
        writer.u32be(static_cast<std::uint32_t>(image.bytes.size()));
        writer.bytes(image.bytes);
    }
    writer.patchU32be(8, static_cast<std::uint32_t>(writer.size()));
    return writer.take();
}

std::vector<std::uint8_t> writeIso2011(const std::vector<IsoImage>& images,
                                       const IsoCapture& capture) {
    ByteWriter writer;
    if (images.empty()) {
        return {};
    }
    writer.bytes(reinterpret_cast<const std::uint8_t*>("IIR\0"), 4);
    writer.bytes(reinterpret_cast<const std::uint8_t*>("020\0"), 4);
    writer.u32be(0);  // record length, filled in below
    writer.u16be(static_cast<std::uint16_t>(images.size()));
    writer.u8(0);  // not certified
    writer.u8(static_cast<std::uint8_t>(images.size()));

    std::uint16_t number = 1;
    for (const IsoImage& image : images) {
        const std::size_t start = writer.size();
        writer.u32be(0);  // representation length, filled in below
        writer.bytes(capture.dateTime, sizeof capture.dateTime);
        writer.u8(1);  // CMOS/CCD sensor
        writer.u16be(capture.vendorId);
        writer.u16be(capture.productId);
        writer.u8(1);  // one quality block
        writer.u8(image.quality);
        writer.u16be(capture.vendorId);
        writer.u16be(1);  // the camera's own quality algorithm
        writer.u16be(number++);
        writer.u8(image.eyeLabel);
        writer.u8(image.kind);
        writer.u8(image.format);
        // Orientation "base" both ways; compression history: 1 none or lossless, 2 lossy.
        writer.u8(static_cast<std::uint8_t>(0x01 | (0x01 << 2) | ((image.lossy ? 2 : 1) << 4)));
        writer.u16be(static_cast<std::uint16_t>(image.width));
        writer.u16be(static_cast<std::uint16_t>(image.height));
        writer.u8(8);     // bit depth
        writer.u16be(0);  // range unassigned
        writer.u16be(kUndefinedAngle);
        writer.u16be(kUndefinedAngle);
        writer.u16be(clampU16(image.geometry.centreX - 1));
        writer.u16be(clampU16(image.geometry.centreX + 1));
        writer.u16be(clampU16(image.geometry.centreY - 1));
        writer.u16be(clampU16(image.geometry.centreY + 1));
        writer.u16be(clampU16(2 * image.geometry.irisRadius - 2));
        writer.u16be(clampU16(2 * image.geometry.irisRadius + 2));
        writer.u32be(static_cast<std::uint32_t>(image.bytes.size()));
        writer.bytes(image.bytes);
        writer.patchU32be(start, static_cast<std::uint32_t>(writer.size() - start));
    }
    writer.patchU32be(8, static_cast<std::uint32_t>(writer.size()));
    return writer.take();
}

}  // namespace ocusim
