#include "capture/RequestCommandHandler.h"

#include "capture/CameraController.h"
#include "capture/PreviewStream.h"
#include "web/RequestAnswer.h"
#include "web/RequestPath.h"

namespace lensws {

bool RequestCommandHandler::handleGet(CivetServer*, mg_connection* connection) {
    // The whole rest of the path names the stream: "/1.0/stream/x" is no stream.
    std::string_view rest = pathFromCommandWord(connection);
    rest.remove_prefix(rest.empty() ? 0 : 1);
    return servePreviewStream(connection, controller(), rest) || answerUnsupported(connection);
}

bool RequestCommandHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (commandWord(connection) != "cancel") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        if (requireSensorSession(connection, result)) {
            result.setStatus(controller().cancelCapture());
        }
        return nullptr;
    });
}

}  // namespace lensws
