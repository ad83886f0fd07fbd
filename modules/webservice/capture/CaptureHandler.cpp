#include "capture/CaptureHandler.h"

#include "capture/CameraController.h"
#include "capture/CapturePurpose.h"
#include "web/RequestAnswer.h"

namespace lensws {

bool CaptureHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        const CapturePurpose purpose =
            parseCapturePurpose(lookupQueryParameter(queryText(connection), "cap_purpose"));
        if (purpose == CapturePurpose::Invalid) {
            result.setStatus(ResultStatus::badValue);
            result.addBadField("capturePurpose");
            return nullptr;
        }
        const char* message = nullptr;
        const ResultStatus status = controller().runCapture(result, purpose, &message);
        result.setStatus(status, message);
        return nullptr;
    });
}

}  // namespace lensws
