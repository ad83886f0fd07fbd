#include "capture/UserHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool UserHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

bool UserHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

bool UserHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
