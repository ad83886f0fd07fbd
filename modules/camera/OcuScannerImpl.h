#pragma once

// What every camera family shares: the handle of the open device, the caches of its device
// information and camera configuration, the buffer for decoded image records, the capturing
// flag, the shutdown sequence, and "not supported" (0x0F000000) for the gallery and template
// operations of a family without them.
//
// No lock: the service serialises the calls; only `capturing` is also written by the SDK's
// capture thread (atomic).

#include <atomic>
#include <cstdint>
#include <vector>

#include "camera/OcuScanner.h"

namespace vantrel_camera {

class OcuScannerImpl : public OcuScanner {
public:
    // The answer of a camera family to an operation it does not support.
    static constexpr CamxStatus kNotSupported = 0x0F000000;

    OcuScannerImpl() = default;
    ~OcuScannerImpl() override;

    CamxStatus shutdownCamera() override;

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

    std::int32_t isOpen() override;
    std::int32_t isBinocular() override;
    // The device's feature word with bit 30 set.
    std::uint32_t getFeatures() override;
    std::uint32_t isCapturing() override;
    void setCapturing(std::uint32_t value) override;

    virtual void releaseImageBuffer();
    virtual void setLastResult(CamxStatus status) = 0;

protected:
    CamxStatus notSupported();

    // The open device; the camera counts as open while it is set. Owned: the object closes it
    // and never keeps a handle it did not open.
    sdk::SdkHandle device = nullptr;
    DeviceInfo deviceInfoCache;
    bool deviceInfoValid = false;
    CameraConfig cameraConfigCache;
    bool cameraConfigValid = false;
    std::vector<std::uint8_t> imageBuffer;
    std::atomic<std::uint32_t> capturing{0};
};

}  // namespace vantrel_camera
