#include "capture/VerifyHandler.h"

#include "access/RequestAnswer.h"

namespace lensws {

bool VerifyHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
