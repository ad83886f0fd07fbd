// The camera controller's matching operations: enrolling the last capture into the camera's
// gallery, and verifying or identifying it against that gallery.

#include "capture/CameraController.h"
#include "sdk/SdkStatus.h"
#include "web/IdentifiedList.h"

namespace lensws {

namespace {

// The distance a comparison reports when the camera leaves it unset: farther than any match.
constexpr float kNoDistance = 2.0f;

ResultStatus enrollmentAnswer(CamxStatus status, const char** message) {
    switch (status) {
        case CAMX_OK:
            return ResultStatus::success;
        case CAMX_GAL_ID_NOT_ENOUGH_SLOT:
        case CAMX_GAL_ID_SLOT_FULL:
            *message = "Cannot enroll more to this userId.";
            return ResultStatus::failure;
        case CAMX_INVALID_PARAMETER:
            *message = "Invalid userId.";
            return ResultStatus::invalidId;
        case CAMX_GAL_ENROLL_DUPLICATED:
            *message = "Duplicated enrollment.";
            return ResultStatus::duplicatedEnrollment;
        default:
            return ResultStatus::sensorFailure;
    }
}

}  // namespace

ResultStatus CameraController::enrollUser(const char* userId, const char** message) {
    return withCamera(Need::Configured, [&](vantrel_camera::OcuScanner& cam) {
        CamxStatus code = cam.enrollCapture(userId);
        if (code == CAMX_OK) {
            code = cam.commitGallery();
        }
        return enrollmentAnswer(code, message);
    });
}

ResultStatus CameraController::verifyUser(const char* userId, const char** message, bool& matched) {
    return withCamera(Need::Nothing, [&](vantrel_camera::OcuScanner& cam) {
        float distance = kNoDistance;
        const CamxStatus code = cam.compareWithEnrollee(userId, &distance);
        if (code == CAMX_GAL_ID_NOT_EXIST) {
            *message = "User ID does not exist.";
            return ResultStatus::invalidId;
        }
        if (code != CAMX_OK) {
            return ResultStatus::sensorFailure;
        }
        // A distance equal to the threshold is not a match.
        matched = genuineThreshold_ > distance;
        return ResultStatus::success;
    });
}

ResultStatus CameraController::identifyUser(IdentifiedList& identified) {
    return withCamera(Need::Nothing, [&](vantrel_camera::OcuScanner& cam) {
        const vantrel_camera::IdentifyCandidate* candidates = nullptr;
        std::uint32_t count = 0;
        if (cam.identifyCapture(genuineThreshold_, &candidates, &count) != CAMX_OK) {
            return ResultStatus::sensorFailure;
        }
        identified.clear();
        if (candidates == nullptr || count == 0) {
            return ResultStatus::success;
        }
        identified.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            identified.add(candidates[i].userId, candidates[i].distance);
        }
        return ResultStatus::success;
    });
}

}  // namespace lensws
