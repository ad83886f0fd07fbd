#pragma once

// The camera family driven by the Tavisor device SDK: every device operation forwards to the
// SDK function of the same purpose and keeps the SDK's status in `lastResult`. Device
// information and camera configuration are read from the camera once and cached until the
// device is closed (the configuration also until it is written).
//
// One object owns at most one open device. Opening another name on it first closes the device
// it holds; a device this object did not open (the SDK answering "already open" with another
// object's handle) is never taken over; and a handle the SDK no longer knows (its device was
// closed by a scan that found its camera gone, or by a change of the SDK's connection) is
// dropped, so the object never acts on a handle it does not own.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "camera/OcuScannerImpl.h"

namespace vantrel_camera {

class Camx2000Impl : public OcuScannerImpl {
public:
    // The camera kind createCamera makes this family for.
    static constexpr std::uint32_t kCameraKind = 1;
    // Bits 0-4: the configuration flags this family reports.
    static constexpr std::uint32_t kSupportedFlags = 31;

    // Initialises the SDK once per process (std::runtime_error "Memory allocation failed." when
    // that fails) and makes the SDK reset every device it opens.
    Camx2000Impl();
    // Shuts the camera down.
    ~Camx2000Impl() override;

    std::uint32_t getSdkVersion() override;
    CamxStatus getSdkVersionString(char* text, std::uint32_t* size) override;
    CamxStatus getSdkConfig(SdkConfig* config) override;
    CamxStatus setSdkConfig(const SdkConfig& config) override;
    CamxStatus getCameraConfig(CameraConfig* config) override;
    CamxStatus setCameraConfig(const CameraConfig& config) override;
    CamxStatus scanDevices(NameList* names, std::uint32_t* count) override;
    CamxStatus openDevice(const char* name) override;
    CamxStatus closeDevice() override;
    CamxStatus getDeviceInfo(DeviceInfo* info) override;
    CamxStatus initCamera(std::uint32_t* width, std::uint32_t* height) override;
    CamxStatus deinitCamera() override;
    // A non-zero eye subtype on a monocular camera is sent as 0.
    CamxStatus startCapture(CaptureCallback callback, void* context, std::uint8_t captureMode,
                            std::uint32_t count, std::uint8_t qualityMode,
                            std::uint8_t operationMode, std::uint8_t eyeSubtype,
                            std::uint8_t autoFlag) override;
    CamxStatus stopCapture() override;
    CamxStatus setEyeOption(std::uint8_t value) override;
    CamxStatus triggerCameraCommand() override;
    CamxStatus getCaptureStatus(std::uint8_t* status) override;
    CamxStatus getStreamImages(const ImageInfo** images, std::uint32_t* count,
                               std::uint8_t* status) override;
    CamxStatus getResultImage(std::uint8_t kind, std::uint8_t format, std::uint8_t compressionValue,
                              const ImageInfo** images, std::uint32_t* count) override;
    CamxStatus getResultQuality(const QualityPair** pairs, std::uint32_t* count) override;
    CamxStatus getResultIsoImage(std::uint8_t revision, std::uint8_t format, std::uint16_t kind,
                                 std::uint8_t compressionValue, std::uint8_t eyePosition,
                                 DataBlock* record) override;
    CamxStatus decodeImageRecord(const DataBlock& record, ImageInfo* info) override;
    CamxStatus getResultTemplate(DataBlock* block) override;
    CamxStatus matchTemplateBlock(const DataBlock& block, MatchRecord* record) override;
    CamxStatus loadGallery(NameList* names, std::uint32_t* count, std::uint32_t* usedSlots,
                           std::uint32_t* maxTemplates) override;
    CamxStatus listEnrollees(NameList* names, std::uint32_t* count, std::uint32_t* usedSlots,
                             std::uint32_t* maxTemplates) override;
    CamxStatus addTemplate(const char* userId, const DataBlock& block) override;
    CamxStatus enrollCapture(const char* userId) override;
    CamxStatus unenroll(const char* userId) override;
    CamxStatus commitGallery() override;
    CamxStatus getEnrolleeRecord(const char* userId, MatchRecord* record) override;
    CamxStatus getEnrolleeTemplate(const char* userId, DataBlock* block) override;
    CamxStatus compareWithEnrollee(const char* userId, float* distance) override;
    CamxStatus compareWithTemplate(const DataBlock& block, float* distance) override;
    CamxStatus identifyCapture(float maxDistance, const IdentifyCandidate** candidates,
                               std::uint32_t* count) override;
    CamxStatus getResultImageWithData(std::uint8_t kind, std::uint8_t format,
                                      std::uint8_t compressionValue, const DataBlock& data,
                                      const ImageInfo** images, std::uint32_t* count) override;
    CamxStatus getTemplateFromData(const DataBlock* data, DataBlock* block) override;
    CamxStatus getLastResult() override;
    std::uint32_t getCameraKind() override;
    std::uint32_t getSupportedFlags() override;
    // The supported flags, each cleared when its configuration field is 0: bit 0 field 7,
    // bit 1 field 6, bit 2 field 1, bit 3 deduplicateOnEnroll, bit 4 field 5. Throws
    // std::runtime_error when the configuration cannot be read.
    std::uint32_t getEnabledFlags() override;
    void setLastResult(CamxStatus status) override;

private:
    // Stores the status as `lastResult` and returns it. A handle the SDK calls invalid is
    // dropped when the SDK no longer knows it.
    CamxStatus record(CamxStatus status);
    // Drops the handle of a device the SDK closed on its own, with both caches.
    void dropStaleDevice();
    void forgetDevice();

    // The SDK's capture callback: notes the end of a capture, then calls the client's.
    static void forwardCapture(void* context, const ImageInfo* images, std::uint32_t count,
                               const std::uint32_t* captureStatus, const CaptureError* error);

    std::atomic<CamxStatus> lastResult{CAMX_OK};
    // Written by startCapture, read on the capture thread.
    std::mutex clientMutex_;
    CaptureCallback clientCallback = nullptr;  // guarded by clientMutex_
    void* clientContext = nullptr;             // guarded by clientMutex_
};

}  // namespace vantrel_camera
