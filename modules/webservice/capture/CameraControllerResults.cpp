// The camera controller's operations on the last capture's results: the sample quality and the
// downloads of its images, ISO records and template.

#include "capture/CameraController.h"
#include "capture/ControllerAdmission.h"
#include "capture/DownloadVocabulary.h"
#include "capture/ImageData.h"
#include "imaging/EncoderFormat.h"
#include "imaging/ImageEncoder.h"
#include "sdk/SdkStatus.h"
#include "web/WSMemPool.h"

namespace lensws {

namespace {

constexpr std::int32_t kUncroppedKind = 1;

ResultStatus cameraAnswer(CamxStatus status) {
    if (status == CAMX_INVALID_PARAMETER) {
        return ResultStatus::invalidParameter;
    }
    return status == CAMX_OK ? ResultStatus::success : ResultStatus::sensorFailure;
}

ResultStatus packBase64(const void* bytes, std::size_t size, CameraController::Download& out) {
    out.data = toBase64(bytes, size, WSMemPool::access());
    return out.data.status();
}

// A record or template the camera handed out; an empty one is no answer.
ResultStatus packBlock(const vantrel_camera::DataBlock& block, CameraController::Download& out) {
    if (block.data == nullptr || block.size == 0) {
        return ResultStatus::failure;
    }
    return packBase64(block.data, block.size, out);
}

}  // namespace

template <class Work>
ResultStatus CameraController::withCapture(const char* captureId, Work work) {
    return withCamera(Need::Configured, [&](vantrel_camera::OcuScanner& cam) {
        const CaptureRecord* record = captureStore_.find(captureId);
        return record != nullptr ? work(*record, cam) : ResultStatus::invalidId;
    });
}

ResultStatus CameraController::sampleQuality(const char* captureId, SampleScores& scores) {
    return withCapture(
        captureId, [&](const CaptureRecord& record, vantrel_camera::OcuScanner& cam) {
            const vantrel_camera::QualityPair* pairs = nullptr;
            std::uint32_t count = 0;
            const ResultStatus status = cameraAnswer(cam.getResultQuality(&pairs, &count));
            if (status != ResultStatus::success) {
                return status;
            }
            for (std::uint32_t p = 0; pairs != nullptr && p < count; ++p) {
                if (irisPositionOf(p, count) == record.irisPosition) {
                    scores.totalScore = pairs[p].first;
                    scores.usableAreaScore = pairs[p].second;
                    scores.lowerUsableAreaScore = -1;
                    scores.submodality = irisPositionName(record.irisPosition);
                    return ResultStatus::success;
                }
            }
            return ResultStatus::failure;
        });
}

ResultStatus CameraController::downloadImage(const char* captureId, std::int32_t kind,
                                             std::uint8_t format, std::uint8_t quality,
                                             Download& out) {
    return withCapture(captureId,
                       [&](const CaptureRecord& record, vantrel_camera::OcuScanner& cam) {
                           return fetchImage(record, cam, kind, format, quality, out);
                       });
}

ResultStatus CameraController::downloadDefaultImage(const char* captureId, Download& out) {
    return withCapture(
        captureId, [&](const CaptureRecord& record, vantrel_camera::OcuScanner& cam) {
            return fetchImage(record, cam, kUncroppedKind, kImageFormatJpeg, qualitySample_, out);
        });
}

ResultStatus CameraController::fetchImage(const CaptureRecord& record,
                                          vantrel_camera::OcuScanner& cam, std::int32_t kind,
                                          std::uint8_t format, std::uint8_t quality,
                                          Download& out) {
    // The plain image request carries the kind in one byte: the kinds with a byte budget
    // exist only for ISO records, and the camera refuses them here.
    if (kind < 0 || kind > 0xFF) {
        return ResultStatus::invalidParameter;
    }
    const int encoder = encoderFormatFor(format);
    const bool encodedHere = format == kImageFormatJpeg || format == kImageFormatPng;
    const vantrel_camera::ImageInfo* images = nullptr;
    std::uint32_t count = 0;
    const ResultStatus status = cameraAnswer(
        cam.getResultImage(static_cast<std::uint8_t>(kind), encodedHere ? sdk::kFormatRaw : format,
                           quality, &images, &count));
    if (status != ResultStatus::success) {
        return status;
    }
    const vantrel_camera::ImageInfo* image = nullptr;
    for (std::uint32_t i = 0; images != nullptr && i < count && image == nullptr; ++i) {
        if (irisPositionOf(i, count) == record.irisPosition && hasData(images[i])) {
            image = &images[i];
        }
    }
    if (image == nullptr) {
        return ResultStatus::failure;
    }
    out.eyeName = irisPositionName(record.irisPosition);
    if (!encodedHere) {
        return packBase64(image->data, image->size, out);
    }
    vtl_base_type::MemoryFile file(WSMemPool::access());
    if (!holdsPixels(*image) ||
        !encodeGreyImage(image->data, image->width, image->height, encoder, quality, &file)) {
        return ResultStatus::failure;
    }
    return packBase64(file.buffer(), static_cast<std::size_t>(file.size()), out);
}

ResultStatus CameraController::downloadIsoImage(const char* captureId, std::int32_t revision,
                                                std::int32_t kind, std::uint8_t format,
                                                std::uint8_t quality, Download& out) {
    return withCapture(
        captureId, [&](const CaptureRecord& record, vantrel_camera::OcuScanner& cam) {
            vantrel_camera::DataBlock block;
            const ResultStatus status = cameraAnswer(cam.getResultIsoImage(
                static_cast<std::uint8_t>(revision), format, static_cast<std::uint16_t>(kind),
                quality, static_cast<std::uint8_t>(record.irisPosition), &block));
            out.eyeName = irisPositionName(record.irisPosition);
            return status == ResultStatus::success ? packBlock(block, out) : status;
        });
}

ResultStatus CameraController::downloadTemplate(const char* captureId, Download& out) {
    return withCapture(
        captureId, [&](const CaptureRecord& record, vantrel_camera::OcuScanner& cam) {
            vantrel_camera::DataBlock block;
            if (cam.getResultTemplate(&block) != CAMX_OK) {
                return ResultStatus::sensorFailure;
            }
            // One template covers every eye of the capture.
            out.eyeName =
                irisPositionName(captureStore_.size() < 2 ? record.irisPosition : kBothIrises);
            return packBlock(block, out);
        });
}

}  // namespace lensws
