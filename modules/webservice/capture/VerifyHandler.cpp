#include "capture/VerifyHandler.h"

#include "capture/CameraController.h"
#include "web/RequestAnswer.h"

namespace lensws {

// A capture, then the camera's comparison of it with the user's templates. The controller is
// free between the two, so the session's other requests and downloads may run in that gap.
bool VerifyHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        char userId[kMaxUserIdLength + 1];
        if (!requireSensorUser(connection, userId, result)) {
            return nullptr;
        }
        const char* message = nullptr;
        ResultStatus status =
            controller().runCapture(result, CapturePurpose::Verification, &message);
        result.setStatus(status, message);
        if (status != ResultStatus::success) {
            return nullptr;
        }
        message = nullptr;
        bool matched = false;
        status = controller().verifyUser(userId, &message, matched);
        result.setStatus(status, message);
        if (status == ResultStatus::success) {
            result.setMatched(matched);
        } else {
            result.clearCaptureIds();
        }
        return nullptr;
    });
}

}  // namespace lensws
