#include "capture/DownloadHandler.h"

#include "web/RequestAnswer.h"

namespace lensws {

bool DownloadHandler::handleGet(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

bool DownloadHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerUnsupported(connection);
}

}  // namespace lensws
