#include "camera/OcuScannerImpl.h"

#include <stdexcept>

namespace vantrel_camera {

namespace {

constexpr std::uint32_t kFeatureBit30 = 0x40000000;

}  // namespace

OcuScannerImpl::~OcuScannerImpl() = default;

CamxStatus OcuScannerImpl::shutdownCamera() {
    if (isOpen() == 0) {
        return CAMX_OK;
    }
    if (isCapturing() != 0) {
        stopCapture();
    }
    setEyeOption(0);
    deinitCamera();
    return closeDevice();
}

CamxStatus OcuScannerImpl::notSupported() {
    setLastResult(kNotSupported);
    return kNotSupported;
}

CamxStatus OcuScannerImpl::getResultTemplate(DataBlock*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::matchTemplateBlock(const DataBlock&, MatchRecord*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::loadGallery(NameList*, std::uint32_t*, std::uint32_t*, std::uint32_t*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::listEnrollees(NameList*, std::uint32_t*, std::uint32_t*,
                                         std::uint32_t*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::addTemplate(const char*, const DataBlock&) {
    return notSupported();
}

CamxStatus OcuScannerImpl::enrollCapture(const char*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::unenroll(const char*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::commitGallery() {
    return notSupported();
}

CamxStatus OcuScannerImpl::getEnrolleeRecord(const char*, MatchRecord*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::getEnrolleeTemplate(const char*, DataBlock*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::compareWithEnrollee(const char*, float*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::compareWithTemplate(const DataBlock&, float*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::identifyCapture(float, const IdentifyCandidate**, std::uint32_t*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::getResultImageWithData(std::uint8_t, std::uint8_t, std::uint8_t,
                                                  const DataBlock&, const ImageInfo**,
                                                  std::uint32_t*) {
    return notSupported();
}

CamxStatus OcuScannerImpl::getTemplateFromData(const DataBlock*, DataBlock*) {
    return notSupported();
}

std::int32_t OcuScannerImpl::isOpen() {
    return device != nullptr ? 1 : 0;
}

std::int32_t OcuScannerImpl::isBinocular() {
    if (getDeviceInfo(nullptr) != CAMX_OK) {
        return -1;
    }
    return deviceInfoCache.binocular != 0 ? 1 : 0;
}

std::uint32_t OcuScannerImpl::getFeatures() {
    if (getDeviceInfo(nullptr) != CAMX_OK) {
        throw std::runtime_error("Cannot query camera's features.");
    }
    return deviceInfoCache.features | kFeatureBit30;
}

std::uint32_t OcuScannerImpl::isCapturing() {
    return capturing.load();
}

void OcuScannerImpl::setCapturing(std::uint32_t value) {
    capturing.store(value);
}

void OcuScannerImpl::releaseImageBuffer() {
    std::vector<std::uint8_t>().swap(imageBuffer);
}

}  // namespace vantrel_camera
