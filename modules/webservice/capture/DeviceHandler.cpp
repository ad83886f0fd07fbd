#include "capture/DeviceHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool DeviceHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
