#include "capture/InitializeHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool InitializeHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

bool InitializeHandler::handleDelete(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
