#include "capture/ConfigureHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool ConfigureHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

bool ConfigureHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
