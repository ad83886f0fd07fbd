// The camera controller's capture operations: starting, waiting for and cancelling a capture,
// the frame callback that feeds the listeners and the preview snapshot.

#include "capture/CameraController.h"
#include "capture/ControllerAdmission.h"
#include "capture/FrameReceiver.h"
#include "capture/ImageData.h"
#include "capture/PreviewFrames.h"
#include "imaging/EncoderFormat.h"
#include "imaging/ImageEncoder.h"
#include "sdk/SdkStatus.h"
#include "web/ResultDocument.h"
#include "web/WSMemPool.h"

namespace lensws {

namespace {

// The arguments every capture starts with; their meaning is the camera's.
constexpr std::uint8_t kCaptureMode = 1;
constexpr std::uint32_t kCaptureCount = 3;
constexpr std::uint8_t kQualityMode = 1;
constexpr std::uint8_t kOperationMode = 1;
constexpr std::uint8_t kEyeSubtype = 0;
constexpr std::uint8_t kAutoCapture = 1;

// The result images a capture's identifiers stand for: uncropped, raw, at compression 50.
constexpr std::uint8_t kResultKind = 1;
constexpr std::uint8_t kResultFormat = sdk::kFormatRaw;
constexpr std::uint8_t kResultCompression = 50;

// Whether a notification of the camera's capture thread ends the capture.
bool endsCapture(const std::uint32_t* captureStatus, const vantrel_camera::CaptureError* error) {
    return (captureStatus != nullptr &&
            *captureStatus >= static_cast<std::uint32_t>(FrameNotification::kCaptureComplete)) ||
           (error != nullptr && error->status != CAMX_OK);
}

}  // namespace

ResultStatus CameraController::beginCapture(CapturePurpose) {
    ControllerAdmission admission(controllerMutex_);
    const ResultStatus status = admit(admission, Need::Configured);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    if (cam == nullptr) {
        return ResultStatus::sensorFailure;
    }
    // Marked as capturing before the camera starts: its thread clears the mark when the
    // capture ends, which may be before startCapture returns.
    clearFlag(kCancelRequested);
    setFlag(kCapturing);
    if (cam->startCapture(&CameraController::onCameraFrame, this, kCaptureMode, kCaptureCount,
                          kQualityMode, kOperationMode, kEyeSubtype, kAutoCapture) != CAMX_OK) {
        clearFlag(kCapturing);
        return ResultStatus::sensorFailure;
    }
    captureStore_.clear();
    return ResultStatus::success;
}

ResultStatus CameraController::runCapture(ResultDocument& result, CapturePurpose purpose,
                                          const char** message) {
    ResultStatus status = beginCapture(purpose);
    if (status != ResultStatus::success) {
        return status;
    }
    FrameReceiver receiver(false, WSMemPool::access());
    const StreamClient client = receiver.client(StreamClient::kProgress);
    status = addStreamClient(client, message);
    if (status != ResultStatus::success) {
        return status;  // the capture goes on without a waiter
    }
    status = waitForCaptureEnd(receiver);
    // Taken before leaving, so that a broadcast still under way is not held up by this
    // receiver while the removal waits for it.
    receiver.acknowledge();
    removeStreamClient(client);
    if (status == ResultStatus::success) {
        status = collectCaptureResults(result, message);
    }
    return status;
}

ResultStatus CameraController::waitForCaptureEnd(FrameReceiver& receiver) {
    for (;;) {
        receiver.waitPending(platform::Event::kInfinite);
        const std::int32_t state = receiver.captureState();
        if (state == FrameNotification::kCaptureComplete) {
            return ResultStatus::success;
        }
        if (state > FrameNotification::kCaptureComplete) {
            return receiver.aborted() || receiver.status() == ResultStatus::success
                       ? ResultStatus::canceled
                       : receiver.status();
        }
        receiver.acknowledge();
    }
}

ResultStatus CameraController::collectCaptureResults(ResultDocument& result, const char** message) {
    // The capture's own request waits for an operation of another client instead of losing
    // its results to a busy answer.
    ControllerAdmission admission(controllerMutex_, platform::TimedMutex::kInfinite);
    ResultStatus status = admit(admission, Need::Nothing);
    if (status != ResultStatus::success) {
        return status;
    }
    vantrel_camera::OcuScanner* cam = camera();
    if (cam == nullptr) {
        return ResultStatus::sensorFailure;
    }
    const vantrel_camera::ImageInfo* images = nullptr;
    std::uint32_t count = 0;
    const CamxStatus camx =
        cam->getResultImage(kResultKind, kResultFormat, kResultCompression, &images, &count);
    if (camx == CAMX_OK || camx == CAMX_SE_RIGHT_FRAME_UNQUALIFIED ||
        camx == CAMX_SE_LEFT_FRAME_UNQUALIFIED) {
        for (std::uint32_t i = 0; images != nullptr && i < count; ++i) {
            if (hasData(images[i]) && !captureStore_.add(irisPositionOf(i, count))) {
                captureStore_.clear();
                break;
            }
        }
    } else if (camx == CAMX_SE_NO_QUALIFIED_FRAME) {
        *message = "No qualified sample.";
    } else if (camx == CAMX_DEV_FUNCTION_DISABLED) {
        *message = "Function GetResultImage is disabled.";
    }
    if (captureStore_.empty()) {
        return ResultStatus::failure;
    }
    for (std::size_t i = 0; i < captureStore_.size(); ++i) {
        result.addCaptureId(captureStore_[i].captureId);
    }
    return ResultStatus::success;
}

ResultStatus CameraController::cancelCapture() {
    ControllerAdmission admission(controllerMutex_, platform::TimedMutex::kInfinite);
    vantrel_camera::OcuScanner* cam = camera();
    if (hasFlag(kCapturing) && cam != nullptr) {
        setFlag(kCancelRequested);
        cam->stopCapture();
    }
    return ResultStatus::success;
}

ResultStatus CameraController::addStreamClient(const StreamClient& client, const char** message) {
    // Checked under the hub's mutex: the capture thread clears the capturing bit before it
    // broadcasts the end, so a listener admitted here cannot miss it.
    return streamHub_.addStreamClient(client, message, [this] { return hasFlag(kCapturing); });
}

void CameraController::removeStreamClient(const StreamClient& client) {
    streamHub_.removeStreamClient(client);
}

void CameraController::onCameraFrame(void* controller, const vantrel_camera::ImageInfo* images,
                                     std::uint32_t count, const std::uint32_t* captureStatus,
                                     const vantrel_camera::CaptureError* error) {
    static_cast<CameraController*>(controller)->handleFrame(images, count, captureStatus, error);
}

void CameraController::handleFrame(const vantrel_camera::ImageInfo* images, std::uint32_t count,
                                   const std::uint32_t* captureStatus,
                                   const vantrel_camera::CaptureError* error) {
    FrameNotification notification;
    vtl_base_type::ServiceMemoryPool* pool = WSMemPool::access();
    PreviewFrames frames(pool);
    // Encoded once, and only when somebody watches.
    if (streamHub_.frameClientCount() > 0 && pool != nullptr &&
        frames.encode(images, count, qualityStreaming_.load()) > 0) {
        frames.describe(notification);
    }
    if (captureStatus != nullptr) {
        notification.captureState = static_cast<std::int32_t>(*captureStatus);
    }
    notification.status = error != nullptr ? ResultStatus::sensorFailure : ResultStatus::success;
    notification.aborted = hasFlag(kCancelRequested);
    if (endsCapture(captureStatus, error)) {
        clearFlag(kCapturing);
    }
    streamHub_.broadcastFrame(notification);
}

ResultStatus CameraController::getStreamSnapshot(Base64Text (&entries)[2], std::size_t& count) {
    count = 0;
    ControllerAdmission admission(controllerMutex_);
    if (!admission.held()) {
        return ResultStatus::sensorBusy;
    }
    if (!hasFlag(kInitialized)) {
        return ResultStatus::initializationNeeded;
    }
    if (!hasFlag(kConfigured)) {
        return ResultStatus::configurationNeeded;
    }
    if (!hasFlag(kCapturing)) {
        return ResultStatus::nocapturing;
    }
    vantrel_camera::OcuScanner* cam = camera();
    const vantrel_camera::ImageInfo* images = nullptr;
    std::uint32_t imageCount = 0;
    std::uint8_t cameraStatus = 0;
    const CamxStatus camx = cam != nullptr
                                ? cam->getStreamImages(&images, &imageCount, &cameraStatus)
                                : CAMX_DEVICE_NOT_FOUND;
    if (camx == CAMX_INVALID_PARAMETER) {
        return ResultStatus::invalidParameter;
    }
    if (camx != CAMX_OK) {
        return ResultStatus::sensorFailure;
    }
    vtl_base_type::ServiceMemoryPool* pool = WSMemPool::access();
    for (std::uint32_t i = 0; images != nullptr && i < imageCount && count < 2; ++i) {
        if (!hasData(images[i])) {
            continue;
        }
        vtl_base_type::MemoryFile jpeg(pool);
        if (!holdsPixels(images[i]) ||
            !encodeGreyImage(images[i].data, images[i].width, images[i].height, kEncoderJpeg,
                             qualityStreaming_.load(), &jpeg)) {
            return ResultStatus::failure;
        }
        entries[count] = toBase64(jpeg.buffer(), static_cast<std::size_t>(jpeg.size()), pool);
        if (entries[count].status() != ResultStatus::success) {
            return entries[count].status();
        }
        ++count;
    }
    return ResultStatus::success;
}

}  // namespace lensws
