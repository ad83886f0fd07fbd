#include "sdk/CaptureCommands.h"

#include "sdk/ByteReader.h"
#include "sdk/CommandCode.h"
#include "sdk/Exchange.h"

namespace sdk {

namespace {

constexpr std::uint16_t kMaxCaptureCount = 60000;
constexpr std::size_t kStreamHeadSize = 10;

}  // namespace

CamxStatus checkCaptureParameters(const DeviceLink& link, const CaptureParameters& parameters) {
    const bool operationOk =
        parameters.operationMode == 1 ||
        (parameters.operationMode == 2 && link.firmwareVersion >= kFirmwareExtendedLayouts);
    const bool qualityOk = parameters.qualityMode >= 1 && parameters.qualityMode <= 3;
    const bool countOk = parameters.count >= 1 && parameters.count <= kMaxCaptureCount;
    const bool modeOk = parameters.captureMode == 1 || parameters.captureMode == 2;
    const bool eyeOk = link.binocular ? parameters.eyeSubtype <= 3 : parameters.eyeSubtype == 0;
    return operationOk && qualityOk && countOk && modeOk && eyeOk ? CAMX_OK
                                                                  : CAMX_INVALID_PARAMETER;
}

CamxStatus initCamera(DeviceLink& link, std::uint32_t* width, std::uint32_t* height) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    const CamxStatus status = exchange(link, command::kInitCamera, 0, 8);
    if (status != CAMX_OK) {
        return status;
    }
    ByteReader results = replyResults(link);
    results.readU32(width);
    results.readU32(height);
    return CAMX_OK;
}

CamxStatus deinitCamera(DeviceLink& link) {
    return exchange(link, command::kDeinitCamera, 0, 0);
}

CamxStatus startCapture(DeviceLink& link, const CaptureParameters& parameters) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    ByteWriter writer = commandParameters(link);
    writer.writeU8(parameters.captureMode);
    writer.writeU16(parameters.count);
    writer.writeU8(parameters.qualityMode);
    writer.writeU8(parameters.operationMode);
    writer.writeU8(parameters.autoFlag);
    writer.writeU8(parameters.eyeSubtype);
    return exchange(link, command::kStartCapture, 7, 0);
}

CamxStatus stopCapture(DeviceLink& link) {
    return exchange(link, command::kStopCapture, 0, 0);
}

CamxStatus setEyeOption(DeviceLink& link, std::uint8_t value) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    commandParameters(link).writeU8(value);
    return exchange(link, command::kEyeOption, 1, 0);
}

CamxStatus cameraCommand(DeviceLink& link) {
    return exchange(link, command::kCameraCommand, 0, 0);
}

CamxStatus readCaptureStatus(DeviceLink& link, std::uint8_t* captureStatus) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    const CamxStatus status = exchange(link, command::kCaptureStatus, 0, 1);
    if (status != CAMX_OK) {
        return status;
    }
    replyResults(link).readU8(captureStatus);
    return CAMX_OK;
}

CamxStatus decodeStreamImages(const std::uint8_t* data, std::size_t size, bool binocular,
                              std::uint8_t eyeSubtype, ImageInfo images[2], std::uint32_t* count,
                              std::uint8_t* captureStatus) {
    images[0] = ImageInfo();
    images[1] = ImageInfo();
    *count = 0;
    ByteReader reader(data, size);
    std::uint8_t status = 0;
    ImageInfo frame;
    if (!reader.readU8(&status) || !reader.readU8(&frame.format) || !reader.readU32(&frame.width) ||
        !reader.readU32(&frame.height)) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    const std::uint64_t frameSize = static_cast<std::uint64_t>(frame.width) * frame.height;
    const bool oneOfTwo = binocular && (eyeSubtype == 1 || eyeSubtype == 2);
    const std::uint64_t frames = binocular && !oneOfTwo ? 2 : 1;
    if (frameSize * frames > size - kStreamHeadSize) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    frame.size = static_cast<std::uint32_t>(frameSize);
    frame.data = data + kStreamHeadSize;
    if (!binocular) {
        images[0] = frame;
        *count = 1;
    } else if (oneOfTwo) {
        images[eyeSubtype - 1] = frame;
        *count = 2;
    } else {
        images[0] = frame;
        images[1] = frame;
        images[1].data = frame.data + frameSize;
        *count = 2;
    }
    *captureStatus = status;
    return CAMX_OK;
}

CamxStatus readStreamImages(DeviceLink& link, DataBuffer& buffer, std::uint8_t eyeSubtype,
                            ImageInfo images[2], std::uint32_t* count,
                            std::uint8_t* captureStatus) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    images[0] = ImageInfo();
    images[1] = ImageInfo();
    *count = 0;
    std::uint32_t size = 0;
    const CamxStatus status = exchangeDataIn(link, command::kStreamImages, 0, 12, buffer, &size);
    if (!carriesData(status)) {
        return status;
    }
    const CamxStatus parsed = decodeStreamImages(buffer.data(), size, link.binocular, eyeSubtype,
                                                 images, count, captureStatus);
    return parsed != CAMX_OK ? parsed : status;
}

}  // namespace sdk
