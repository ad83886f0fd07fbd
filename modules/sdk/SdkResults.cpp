#include "sdk/SdkResults.h"

#include "sdk/ImageRecord.h"
#include "sdk/SdkDevice.h"
#include "sdk/SdkState.h"

namespace sdk {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// The compression kind the SDK's result functions always ask for.
constexpr std::uint8_t kCompressionKind = 2;

ResultImageRequest resultRequest(std::uint8_t kind, std::uint8_t format,
                                 std::uint8_t compressionValue) {
    ResultImageRequest request;
    request.kind = kind;
    request.format = format;
    request.compressionKind = kCompressionKind;
    request.compressionValue = compressionValue;
    return request;
}

}  // namespace

CamxStatus sdkGetResultImage(SdkHandle handle, std::uint8_t kind, std::uint8_t format,
                             std::uint8_t compressionValue, const ImageInfo** images,
                             std::uint32_t* count) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (images == nullptr || count == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    Lock lock(device->link.lock);
    *images = device->resultImages;
    return readResultImages(device->link, device->buffers.resultImages[0],
                            resultRequest(kind, format, compressionValue), device->resultImages,
                            count);
}

CamxStatus sdkGetResultImageWithData(SdkHandle handle, std::uint8_t kind, std::uint8_t format,
                                     std::uint8_t compressionValue, const DataBlock* data,
                                     const ImageInfo** images, std::uint32_t* count) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (data == nullptr || images == nullptr || count == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    Lock lock(device->link.lock);
    *images = device->resultImages;
    return readResultImagesWithData(device->link, device->buffers.resultImages[1],
                                    resultRequest(kind, format, compressionValue), *data,
                                    device->resultImages, count);
}

CamxStatus sdkGetResultQuality(SdkHandle handle, const QualityPair** pairs, std::uint32_t* count) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (pairs == nullptr || count == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    Lock lock(device->link.lock);
    *pairs = device->quality;
    return readResultQuality(device->link, device->quality, count);
}

CamxStatus sdkGetResultIsoImage(SdkHandle handle, std::uint8_t revision, std::uint8_t format,
                                std::uint16_t kind, std::uint8_t compressionValue,
                                std::uint8_t eyePosition, DataBlock* record) {
    std::shared_ptr<SdkDevice> device = findDevice(handle);
    if (!device) {
        return CAMX_INVALID_HANDLE;
    }
    if (record == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    IsoImageRequest request;
    request.revision = revision;
    request.kind = kind;
    request.format = format;
    request.compressionKind = kCompressionKind;
    request.compressionValue = compressionValue;
    request.eyePosition = eyePosition;
    return readIsoImage(device->link, device->buffers.general, request, nullptr, false, record);
}

CamxStatus sdkDecodeImageRecord(const DataBlock* record, std::uint8_t* buffer,
                                std::uint32_t capacity, ImageInfo* info) {
    if (record == nullptr) {
        return CAMX_INVALID_PARAMETER;
    }
    return decodeImageRecord(*record, buffer, buffer != nullptr ? capacity : 0, info);
}

}  // namespace sdk
