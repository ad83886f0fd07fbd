#include "capture/CameraHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool CameraHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
