#include "capture/RequestCommandHandler.h"

#include "web/RequestAnswer.h"
#include "web/RequestPath.h"

namespace lensws {

bool RequestCommandHandler::handleGet(CivetServer*, mg_connection* connection) {
    // "stream", "stream1" and "stream2" will serve the live preview of a running capture, which
    // a later part of the service builds; until then they answer unsupported like any other
    // word.
    return answerUnsupported(connection);
}

bool RequestCommandHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (commandWord(connection) != "cancel") {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        QueryValue sessionId = sessionIdParameter(connection);
        if (!requireSessionId(sessionId, result) || !requireLockHolder(sessionId, result)) {
            return nullptr;
        }
        // The lock holder may cancel its capture; captures arrive with a later part of the
        // service, so until then the cancel answers unsupported.
        result.setStatus(ResultStatus::unsupported);
        return nullptr;
    });
}

}  // namespace lensws
