#include "capture/IdentifyHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool IdentifyHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
