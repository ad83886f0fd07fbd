// Fuzzes the command protocol's reply handling: the input is everything the camera sends (reply
// blocks and data phases back to back); a command function chosen by the first byte reads from
// it. Every outcome must be a status code, with no read or write outside the buffers.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sdk/CCommObj.h"
#include "sdk/CaptureCommands.h"
#include "sdk/ConfigCommands.h"
#include "sdk/DeviceCommands.h"
#include "sdk/Exchange.h"
#include "sdk/GalleryCommands.h"
#include "sdk/ResultCommands.h"
#include "sdk/TemplateCommands.h"

namespace {

// Delivers the fuzz input as the camera's side of the pipe: each read takes what it asks for
// or what is left (a short read). Writes always succeed.
class InputTransport : public sdk::CCommObj {
public:
    InputTransport(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool initialise() override { return true; }
    void release() override {}
    CamxStatus open(const char*, const std::uint32_t*) override { return CAMX_OK; }
    CamxStatus write(const void*, std::uint32_t) override { return CAMX_OK; }
    CamxStatus read(void* buffer, std::uint32_t count) override {
        const std::size_t taken = count < size_ - at_ ? count : size_ - at_;
        if (taken > 0) {
            std::memcpy(buffer, data_ + at_, taken);
        }
        at_ += taken;
        lastStatus_ = taken == 0      ? CAMX_DEVICE_IO_TIMEOUT
                      : taken < count ? CAMX_DEVICE_IO_DATA_INVALID
                                      : CAMX_OK;
        return lastStatus_;
    }
    CamxStatus driverCommand() override { return CAMX_UNSUPPORTED_COMMAND; }
    bool setTimeout(std::uint32_t ms) override {
        timeout_ = ms;
        return true;
    }
    CamxStatus pipeControl(std::uint32_t, std::uint32_t, sdk::DataBuffer*) override {
        return CAMX_OK;
    }
    CamxStatus vendorRequest(bool, std::uint8_t, std::uint32_t* answer) override {
        *answer = 0;
        return CAMX_OK;
    }
    bool isOpen() const override { return true; }

protected:
    void closeHandle() override {}

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void runCommand(std::uint8_t which, sdk::DeviceLink& link, sdk::DataBuffer& buffer) {
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::uint8_t status = 0;
    const std::uint8_t bytes[64] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const sdk::DataBlock block{9, bytes};
    switch (which % 20) {
        case 0: {
            sdk::DeviceInfo info;
            sdk::readDeviceInfo(link, 0x2001, buffer, &info);
            break;
        }
        case 1: {
            sdk::CameraConfig config;
            sdk::readCameraConfig(link, buffer, &config);
            break;
        }
        case 2: {
            std::uint32_t first = 0;
            std::uint32_t second = 0;
            sdk::readFirmwareVersion(link, &first, &second);
            std::uint16_t productId = 0;
            sdk::readProductId(link, &productId);
            break;
        }
        case 3:
            sdk::readStreamImages(link, buffer, 0, images, &count, &status);
            break;
        case 4:
            sdk::readStreamImages(link, buffer, 2, images, &count, &status);
            break;
        case 5:
            sdk::readResultImages(link, buffer, {}, images, &count);
            break;
        case 6:
            sdk::readResultImagesWithData(link, buffer, {}, block, images, &count);
            break;
        case 7: {
            sdk::QualityPair pairs[2];
            sdk::readResultQuality(link, pairs, &count);
            break;
        }
        case 8: {
            sdk::DataBlock record;
            sdk::readIsoImage(link, buffer, {}, &block, true, &record);
            break;
        }
        case 9: {
            std::vector<sdk::IdentifyCandidate> candidates;
            sdk::identify(link, buffer, 1.0f, &candidates);
            break;
        }
        case 10: {
            std::vector<const char*> names;
            std::uint32_t n = 0;
            std::uint32_t used = 0;
            std::uint32_t maximum = 0;
            sdk::listEnrollees(link, buffer, {&names, &n, &used, &maximum});
            for (const char* name : names) {
                volatile std::size_t length = std::strlen(name);
                (void)length;
            }
            break;
        }
        case 11: {
            sdk::MatchRecord record;
            sdk::readEnrolleeRecord(link, "user", &record);
            sdk::matchTemplateBlock(link, block, &record);
            break;
        }
        case 12: {
            sdk::DataBlock out;
            sdk::readTemplateFromData(link, buffer, &block, &out);
            sdk::readTemplateFromData(link, buffer, nullptr, &out);
            break;
        }
        case 13: {
            float distance = 0;
            sdk::compareWithEnrollee(link, "user", &distance);
            sdk::compareWithTemplate(link, block, &distance);
            break;
        }
        case 14: {
            std::uint32_t width = 0;
            std::uint32_t height = 0;
            sdk::initCamera(link, &width, &height);
            sdk::readCaptureStatus(link, &status);
            break;
        }
        case 15:
            sdk::resetAtOpen(link);
            break;
        case 16:
            sdk::writeCameraConfig(link, sdk::CameraConfig());
            break;
        case 17:
            sdk::addTemplate(link, "user", block);
            break;
        case 18: {
            std::uint32_t n = 0;
            sdk::loadGallery(link, buffer, {nullptr, &n, nullptr, nullptr});
            break;
        }
        default: {
            sdk::DataBlock out;
            sdk::readResultTemplate(link, buffer, &out);
            sdk::readEnrolleeTemplate(link, buffer, "user", &out);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t which = data[0];
    const std::uint8_t settings = data[1];
    static const std::uint32_t kFirmware[] = {0x2001B, 0x2001C, 0x30017, 0x40003};
    InputTransport transport(data + 2, size - 2);
    sdk::DeviceLink link;
    link.transport = &transport;
    link.kind = (settings & 1) != 0 ? sdk::LinkKind::Serial : sdk::LinkKind::Usb;
    link.binocular = (settings & 2) != 0;
    link.firmwareVersion = kFirmware[(settings >> 2) & 3];
    sdk::DataBuffer buffer;
    // A small buffer most of the time, so announced lengths beyond it are exercised too.
    buffer.reserve((settings & 0x10) != 0 ? 0xAB000 : 4096);
    runCommand(which, link, buffer);

    // The decoders straight on the input as well.
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    std::uint8_t status = 0;
    sdk::decodeStreamImages(data, size, link.binocular, settings & 3, images, &count, &status);
    sdk::decodeResultImages(data, size, (settings & 0x20) != 0 ? 0x3007 : 0, link.binocular,
                            (settings & 0x40) != 0, {}, images, &count);
    sdk::DeviceInfo info;
    sdk::decodeDeviceInfo(data, size, &info);
    sdk::CameraConfig config;
    sdk::decodeCameraConfig(data, size, link.firmwareVersion, &config);
    std::vector<const char*> names;
    sdk::decodeNameList(data, size, which, &names);
    std::vector<sdk::IdentifyCandidate> candidates;
    sdk::decodeIdentifyCandidates(data, size, which, &candidates);
    return 0;
}
