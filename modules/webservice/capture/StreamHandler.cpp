#include "capture/StreamHandler.h"

#include "access/RequestAnswer.h"

namespace lensws {

bool StreamHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
