#include "capture/EnrollHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool EnrollHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
