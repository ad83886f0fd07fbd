#include "capture/EnrollHandler.h"

#include "capture/CameraController.h"
#include "web/RequestAnswer.h"

namespace lensws {

// The camera enrolls its own last capture: a request body, if any, plays no part.
bool EnrollHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        char userId[kMaxUserIdLength + 1];
        if (!requireSensorUser(connection, userId, result)) {
            return nullptr;
        }
        const char* message = nullptr;
        const ResultStatus status = controller().enrollUser(userId, &message);
        result.setStatus(status, message);
        return nullptr;
    });
}

}  // namespace lensws
