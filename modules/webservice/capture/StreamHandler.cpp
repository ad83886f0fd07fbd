#include "capture/StreamHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool StreamHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
