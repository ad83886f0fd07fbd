#include "capture/CaptureHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool CaptureHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
