#include "capture/VerifyHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool VerifyHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
