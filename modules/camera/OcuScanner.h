#pragma once

// The camera as the capture service sees it: one object behind this abstract class, whose
// operations return the SDK status code of the call they made (0 = CAMX_OK). The operations
// keep the order of the camera's slot table.
//
// No lock of its own: the service serialises its calls; the capture callback runs on the SDK's
// capture thread while service threads may call other operations.

#include <cstdint>

#include "sdk/CameraConfig.h"
#include "sdk/CaptureCallback.h"
#include "sdk/DataBlock.h"
#include "sdk/DeviceInfo.h"
#include "sdk/ImageInfo.h"
#include "sdk/ResultCommands.h"
#include "sdk/SdkConfig.h"
#include "sdk/SdkHandle.h"
#include "sdk/SdkStatus.h"
#include "sdk/TemplateCommands.h"

namespace vantrel_camera {

using sdk::CameraConfig;
using sdk::CaptureCallback;
using sdk::CaptureError;
using sdk::DataBlock;
using sdk::DeviceInfo;
using sdk::IdentifyCandidate;
using sdk::ImageInfo;
using sdk::MatchRecord;
using sdk::NameList;
using sdk::QualityPair;
using sdk::SdkConfig;

class OcuScanner {
public:
    OcuScanner() = default;
    virtual ~OcuScanner();
    OcuScanner(const OcuScanner&) = delete;
    OcuScanner& operator=(const OcuScanner&) = delete;

    virtual std::uint32_t getSdkVersion() = 0;
    virtual CamxStatus getSdkVersionString(char* text, std::uint32_t* size) = 0;
    virtual CamxStatus getSdkConfig(SdkConfig* config) = 0;
    virtual CamxStatus setSdkConfig(const SdkConfig& config) = 0;
    // `config` may be null (the cache is filled only).
    virtual CamxStatus getCameraConfig(CameraConfig* config) = 0;
    virtual CamxStatus setCameraConfig(const CameraConfig& config) = 0;
    virtual CamxStatus scanDevices(NameList* names, std::uint32_t* count) = 0;
    virtual CamxStatus openDevice(const char* name) = 0;
    virtual CamxStatus closeDevice() = 0;
    // `info` may be null (the cache is filled only).
    virtual CamxStatus getDeviceInfo(DeviceInfo* info) = 0;
    // Either output may be null; they are written only on success.
    virtual CamxStatus initCamera(std::uint32_t* width, std::uint32_t* height) = 0;
    virtual CamxStatus deinitCamera() = 0;
    // `callback` is called on the SDK's capture thread with `context`.
    virtual CamxStatus startCapture(CaptureCallback callback, void* context,
                                    std::uint8_t captureMode, std::uint32_t count,
                                    std::uint8_t qualityMode, std::uint8_t operationMode,
                                    std::uint8_t eyeSubtype, std::uint8_t autoFlag) = 0;
    virtual CamxStatus stopCapture() = 0;
    // Non-zero values only on binocular cameras.
    virtual CamxStatus setEyeOption(std::uint8_t value) = 0;
    virtual CamxStatus shutdownCamera() = 0;
    virtual CamxStatus triggerCameraCommand() = 0;
    virtual CamxStatus getCaptureStatus(std::uint8_t* status) = 0;
    virtual CamxStatus getStreamImages(const ImageInfo** images, std::uint32_t* count,
                                       std::uint8_t* status) = 0;
    virtual CamxStatus getResultImage(std::uint8_t kind, std::uint8_t format,
                                      std::uint8_t compressionValue, const ImageInfo** images,
                                      std::uint32_t* count) = 0;
    virtual CamxStatus getResultQuality(const QualityPair** pairs, std::uint32_t* count) = 0;
    virtual CamxStatus getResultIsoImage(std::uint8_t revision, std::uint8_t format,
                                         std::uint16_t kind, std::uint8_t compressionValue,
                                         std::uint8_t eyePosition, DataBlock* record) = 0;
    // The image bytes handed out belong to this object until the next call or
    // releaseImageBuffer.
    virtual CamxStatus decodeImageRecord(const DataBlock& record, ImageInfo* info) = 0;
    virtual CamxStatus getResultTemplate(DataBlock* block) = 0;
    virtual CamxStatus matchTemplateBlock(const DataBlock& block, MatchRecord* record) = 0;
    // Every output may be null; the names need the count.
    virtual CamxStatus loadGallery(NameList* names, std::uint32_t* count, std::uint32_t* usedSlots,
                                   std::uint32_t* maxTemplates) = 0;
    virtual CamxStatus listEnrollees(NameList* names, std::uint32_t* count,
                                     std::uint32_t* usedSlots, std::uint32_t* maxTemplates) = 0;
    virtual CamxStatus addTemplate(const char* userId, const DataBlock& block) = 0;
    virtual CamxStatus enrollCapture(const char* userId) = 0;
    // A null user id removes every enrollee.
    virtual CamxStatus unenroll(const char* userId) = 0;
    virtual CamxStatus commitGallery() = 0;
    virtual CamxStatus getEnrolleeRecord(const char* userId, MatchRecord* record) = 0;
    virtual CamxStatus getEnrolleeTemplate(const char* userId, DataBlock* block) = 0;
    virtual CamxStatus compareWithEnrollee(const char* userId, float* distance) = 0;
    virtual CamxStatus compareWithTemplate(const DataBlock& block, float* distance) = 0;
    virtual CamxStatus identifyCapture(float maxDistance, const IdentifyCandidate** candidates,
                                       std::uint32_t* count) = 0;
    virtual CamxStatus getResultImageWithData(std::uint8_t kind, std::uint8_t format,
                                              std::uint8_t compressionValue, const DataBlock& data,
                                              const ImageInfo** images, std::uint32_t* count) = 0;
    // `data` may be null.
    virtual CamxStatus getTemplateFromData(const DataBlock* data, DataBlock* block) = 0;
    virtual CamxStatus getLastResult() = 0;
    virtual std::uint32_t getCameraKind() = 0;
    virtual std::int32_t isOpen() = 0;
    // 1 binocular, 0 monocular, -1 when the device information cannot be read.
    virtual std::int32_t isBinocular() = 0;
    // Throws std::runtime_error when the device information cannot be read.
    virtual std::uint32_t getFeatures() = 0;
    virtual std::uint32_t getSupportedFlags() = 0;
    // Throws std::runtime_error when the camera configuration cannot be read.
    virtual std::uint32_t getEnabledFlags() = 0;
    virtual std::uint32_t isCapturing() = 0;
    virtual void setCapturing(std::uint32_t capturing) = 0;
};

}  // namespace vantrel_camera
