#include "capture/UsersHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool UsersHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

bool UsersHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
